// The update manifest and the address rule: what is accepted is exactly what
// is safe to act on; everything else is "no update information".
#include "about/manifest.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vt {
namespace {

const std::string kHash = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789abcdef";
const std::string kLines[] = {"version=1.4.2", "url=https://dl.example.test/setup.exe",
                              "size=123456", "sha256=" + kHash, "note=Fixes the tray icon."};

// A valid manifest with line i replaced (an empty `with` drops it).
std::string Manifest(int i = -1, const std::string& with = "", const char* eol = "\n") {
  std::string text;
  for (int n = 0; n < 5; ++n) text += n != i ? kLines[n] + eol : with.empty() ? "" : with + eol;
  return text;
}

// Longer than the limit by one byte, the last line a comment.
const std::string kFull = Manifest() + "#" + std::string(kMaxManifestBytes, 'x');

TEST(ParseManifest, AcceptedLayoutsAndFields) {
  const std::pair<std::string, const char*> rows[] = {
      {Manifest(-1, "", "\r\n"), "CR LF line ends"},
      {Manifest().substr(0, Manifest().size() - 1), "no line end after the last line"},
      {"# c=d\n\n" + Manifest() + "channel=beta\nNOTE=x\n", "comments, blanks, unknown keys"},
      {Manifest(4), "the note is optional"},
      {Manifest(1, "url=http://127.0.0.1:8123/s.exe"), "plain http to loopback"},
      {kFull.substr(0, kMaxManifestBytes), "exactly the size limit"},
      {Manifest(0, "version=65535.0.9"), "the largest part"},
  };
  for (const auto& [text, why] : rows) EXPECT_TRUE(ParseManifest(text)) << why;
  const auto m = ParseManifest(Manifest(4, "note=a=b"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->version, (Version{1, 4, 2}));
  EXPECT_EQ(m->url, "https://dl.example.test/setup.exe");
  EXPECT_EQ(m->size, 123456u);
  EXPECT_EQ(m->sha256[14], 0xCD) << "upper-case hex";
  EXPECT_EQ(m->sha256[31], 0xEF);
  EXPECT_EQ(m->note, "a=b");
}

TEST(ParseManifest, RefusesWhatItCannotTrust) {
  const std::pair<std::string, const char*> rows[] = {
      {Manifest(0), "version missing"},
      {Manifest(1), "url missing"},
      {Manifest(2), "size missing"},
      {Manifest(3), "hash missing"},
      {Manifest(0, "Version=1.4.2"), "keys are lower case"},
      {Manifest(0, "version=1.4"), "two parts"},
      {Manifest(0, "version=1.4."), "an empty part"},
      {Manifest(0, "version=1.4.2.0"), "four parts"},
      {Manifest(0, "version=1.4.2 "), "trailing blank"},
      {Manifest(0, "version=65536.0.0"), "beyond a 16-bit part"},
      {Manifest(2, "size=0"), "empty setup file"},
      {Manifest(2, "size=2147483648"), "beyond 32-bit signed"},
      {Manifest(3, "sha256=" + kHash.substr(1)), "63 digits"},
      {Manifest(3, "sha256=" + kHash.substr(1) + "g"), "not hex"},
      {Manifest(1, "url=http://dl.example.test/setup.exe"), "plain http elsewhere"},
      {Manifest() + "version=9.9.9\n", "a key twice"},
      {Manifest() + "garbage\n", "a line without '='"},
      {Manifest(4, "note=caf\xE9"), "not ASCII"},
      {Manifest(4, "note=a\rb"), "CR inside a line"},
      {kFull.substr(0, kMaxManifestBytes + 1), "larger than the limit"},
  };
  for (const auto& [text, why] : rows) EXPECT_FALSE(ParseManifest(text)) << why;
}

TEST(Version, NamesTheSetupFileByItsNumbers) {
  EXPECT_EQ(SetupFileName(*ParseVersion("01.002.3")), "Vel-Tarrow-Setup-1.2.3.exe");
}

TEST(IsAllowedUpdateUrl, HttpsOrLoopback) {
  const std::pair<const char*, bool> rows[] = {
      {"HTTPS://dl.example.test:8443/u?x=1", true},
      {"http://127.0.0.1:8080/update.txt", true},
      {"http://[::1]:8080/x", true},
      {"http://dl.example.test/update.txt", false},  // plain http elsewhere
      {"http://127.0.0.2/x", false},                 // only the one address
      {"http://127.0.0.1.example.test/x", false},    // a name that begins like it
      {"http://127.0.0.1@example.test/x", false},    // user name: the host is elsewhere
      {"http://127.0.0.1\\@example.test/", false},   // backslash
      {"http://127.0.0.1:/x", false},
      {"https:///x", false},
      {"ftp://127.0.0.1/x", false},
      {"https://example.test/a b", false},
  };
  for (const auto& [url, ok] : rows) EXPECT_EQ(IsAllowedUpdateUrl(url), ok) << url;
}

}  // namespace
}  // namespace vt
