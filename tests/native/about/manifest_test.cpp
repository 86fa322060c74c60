// The update manifest and the address rule: what is accepted is exactly what
// is safe to act on; everything else is "no update information".
#include "about/manifest.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vt {
namespace {

using ::testing::PrintToString;

const std::string kHash = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789abcdef";

// A valid manifest with one line replaced (or dropped when `with` is empty).
std::string Manifest(const std::string& key = "", const std::string& with = "") {
  const std::pair<std::string, std::string> lines[] = {
      {"version", "version=1.4.2"},
      {"url", "url=https://downloads.example.test/vt/setup.exe"},
      {"size", "size=123456"},
      {"sha256", "sha256=" + kHash},
      {"note", "note=Fixes the tray icon after a restart."},
  };
  std::string text;
  for (const auto& [k, line] : lines) {
    const std::string& l = k == key ? with : line;
    if (!l.empty()) text += l + "\n";
  }
  return text;
}

TEST(ParseManifest, ReadsEveryField) {
  const auto m = ParseManifest(Manifest());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->version, (Version{1, 4, 2}));
  EXPECT_EQ(m->url, "https://downloads.example.test/vt/setup.exe");
  EXPECT_EQ(m->size, 123456u);
  EXPECT_EQ(m->sha256[0], 0x01);
  EXPECT_EQ(m->sha256[14], 0xCD) << "upper-case hex reads like lower case";
  EXPECT_EQ(m->sha256[31], 0xEF);
  EXPECT_EQ(m->note, "Fixes the tray icon after a restart.");
}

TEST(ParseManifest, AcceptedLayouts) {
  std::string crlf = Manifest(), atLimit = Manifest();
  for (std::size_t i = 0; (i = crlf.find('\n', i)) != std::string::npos; i += 2)
    crlf.insert(i, "\r");
  atLimit += "#" + std::string(kMaxManifestBytes - atLimit.size() - 1, 'x');
  const std::pair<std::string, const char*> rows[] = {
      {crlf, "CR LF line ends"},
      {Manifest().substr(0, Manifest().size() - 1), "no line end after the last line"},
      {"# comment=ignored\n\n" + Manifest() + "channel=beta\nNOTE=x\n",
       "comments, blanks, unknown keys"},
      {Manifest("note", ""), "the note is optional"},
      {Manifest("note", "note=a=b"), "a note may hold '='"},
      {Manifest("url", "url=http://127.0.0.1:8123/setup.exe"), "plain http to loopback"},
      {atLimit, "exactly the size limit"},
  };
  for (const auto& [text, why] : rows) EXPECT_TRUE(ParseManifest(text)) << why;
  EXPECT_EQ(ParseManifest(Manifest("note", "note=a=b"))->note, "a=b");
}

TEST(ParseManifest, RefusesWhatItCannotTrust) {
  const std::pair<std::string, const char*> rows[] = {
      {Manifest("version", ""), "version missing"},
      {Manifest("url", ""), "url missing"},
      {Manifest("size", ""), "size missing"},
      {Manifest("sha256", ""), "hash missing"},
      {Manifest("version", "Version=1.4.2"), "keys are lower case: version is then missing"},
      {Manifest("version", "version =1.4.2"), "no blanks around the key"},
      {Manifest("version", "version=1.4"), "two parts"},
      {Manifest("version", "version=1.4.2.0"), "four parts"},
      {Manifest("version", "version=v1.4.2"), "letters"},
      {Manifest("version", "version=1.4.2 "), "trailing blank"},
      {Manifest("version", "version=1.-4.2"), "sign"},
      {Manifest("version", "version=65536.0.0"), "beyond a 16-bit part"},
      {Manifest("size", "size=0"), "empty setup file"},
      {Manifest("size", "size=+5"), "sign"},
      {Manifest("size", "size=12k"), "unit"},
      {Manifest("size", "size=2147483648"), "beyond 32-bit signed"},
      {Manifest("sha256", "sha256=" + kHash.substr(1)), "63 digits"},
      {Manifest("sha256", "sha256=" + kHash + "0"), "65 digits"},
      {Manifest("sha256", "sha256=" + kHash.substr(1) + "g"), "not hex"},
      {Manifest("url", "url=http://downloads.example.test/setup.exe"), "plain http elsewhere"},
      {Manifest("url", "url=ftp://127.0.0.1/setup.exe"), "other scheme"},
      {Manifest() + "version=9.9.9\n", "a key twice"},
      {Manifest() + "garbage\n", "a line without '='"},
      {Manifest("note", "note=caf\xE9"), "not ASCII"},
      {Manifest("note", std::string("note=a\0b", 8)), "NUL"},
      {Manifest("note", "note=a\tb"), "tab"},
      {Manifest("note", "note=a\rb"), "CR inside a line"},
      {Manifest() + "#" + std::string(kMaxManifestBytes, 'x'), "larger than the limit"},
  };
  for (const auto& [text, why] : rows)
    EXPECT_FALSE(ParseManifest(text)) << why << ": " << PrintToString(text);
}

TEST(Version, ParsesAndOrdersNumerically) {
  EXPECT_EQ(ParseVersion("0.0.0"), (Version{0, 0, 0}));
  EXPECT_EQ(ParseVersion("65535.65535.65535"), (Version{65535, 65535, 65535}));
  EXPECT_EQ(ParseVersion("01.002.3"), (Version{1, 2, 3})) << "leading zeros are digits";
  for (const char* bad : {"", "1..2", ".1.2", "1.2.", "1.2.3.", "123456.0.0", "1,2,3"})
    EXPECT_FALSE(ParseVersion(bad)) << bad;
  EXPECT_GT((Version{1, 0, 10}), (Version{1, 0, 9})) << "numbers, not text";
  EXPECT_GT((Version{2, 0, 0}), (Version{1, 65535, 65535})) << "major first";
  EXPECT_GT((Version{1, 1, 0}), (Version{1, 0, 99})) << "then minor";
  EXPECT_FALSE((Version{1, 0, 3}) > (Version{1, 0, 3})) << "equal is not newer";
  EXPECT_EQ(SetupFileName(*ParseVersion("01.002.3")), "Vel-Tarrow-Setup-1.2.3.exe");
}

TEST(IsAllowedUpdateUrl, HttpsOrLoopback) {
  const std::pair<const char*, bool> rows[] = {
      {"https://downloads.example.test/vt/update.txt", true},
      {"HTTPS://downloads.example.test/", true},
      {"https://downloads.example.test:8443/u?x=1", true},
      {"http://127.0.0.1:8080/update.txt", true},
      {"http://localhost/update.txt", true},
      {"http://LocalHost:1/x", true},
      {"http://[::1]:8080/x", true},
      {"http://[::1]/x", true},
      {"http://downloads.example.test/update.txt", false},  // plain http elsewhere
      {"http://127.0.0.2/x", false},                        // only the one address
      {"http://127.0.0.1.example.test/x", false},           // a name that begins like it
      {"http://localhost.example.test/x", false},
      {"http://127.0.0.1@example.test/x", false},  // user name: the host is elsewhere
      {"https://user:pw@example.test/x", false},
      {"http://127.0.0.1:0/x", false},
      {"http://127.0.0.1:65536/x", false},
      {"http://127.0.0.1:/x", false},
      {"http://127.0.0.1:8o/x", false},
      {"https:///x", false},
      {"https://", false},
      {"ftp://127.0.0.1/x", false},
      {"file://C:/x.exe", false},
      {"127.0.0.1/x", false},
      {"", false},
      {"https://example.test/a b", false},
      {"https://example.test\\x", false},
      {"http://127.0.0.1\\@example.test/", false},
      {"https://example.test/\x01", false},
  };
  for (const auto& [url, ok] : rows) EXPECT_EQ(IsAllowedUpdateUrl(url), ok) << PrintToString(url);
}

}  // namespace
}  // namespace vt
