#include "about/manifest.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

TEST(ParseManifest, AcceptsTheLayoutsRefusesWhatItCannotTrust) {
  const std::tuple<std::string, bool, const char*> rows[] = {
      {Manifest(-1, "", "\r\n"), true, "CR LF line ends"},
      {Manifest().substr(0, Manifest().size() - 1), true, "no line end after the last line"},
      {"# c=d\n\n" + Manifest() + "channel=beta\nNOTE=x\n", true, "comments, blanks, unknown keys"},
      {Manifest(4), true, "the note is optional"},
      {Manifest(1, "url=http://127.0.0.1:8123/s.exe"), true, "plain http to loopback"},
      {kFull.substr(0, kMaxManifestBytes), true, "exactly the size limit"},
      {Manifest(0, "version=65535.0.9"), true, "the largest part"},
      {Manifest(0), false, "version missing"},
      {Manifest(1), false, "url missing"},
      {Manifest(2), false, "size missing"},
      {Manifest(3), false, "hash missing"},
      {Manifest(0, "Version=1.4.2"), false, "keys are lower case"},
      {Manifest(0, "version=1.4"), false, "two parts"},
      {Manifest(0, "version=1.4."), false, "an empty part"},
      {Manifest(0, "version=1.4.2.0"), false, "four parts"},
      {Manifest(0, "version=1.4.2 "), false, "trailing blank"},
      {Manifest(0, "version=65536.0.0"), false, "beyond a 16-bit part"},
      {Manifest(2, "size=0"), false, "empty setup file"},
      {Manifest(2, "size=2147483648"), false, "beyond 32-bit signed"},
      {Manifest(3, "sha256=" + kHash.substr(1)), false, "63 digits"},
      {Manifest(3, "sha256=" + kHash.substr(1) + "g"), false, "not hex"},
      {Manifest(1, "url=http://dl.example.test/setup.exe"), false, "plain http elsewhere"},
      {Manifest() + "version=9.9.9\n", false, "a key twice"},
      {Manifest() + "garbage\n", false, "a line without '='"},
      {Manifest(4, "note=caf\xE9"), false, "not ASCII"},
      {Manifest(4, "note=a\rb"), false, "CR inside a line"},
      {kFull.substr(0, kMaxManifestBytes + 1), false, "larger than the limit"},
  };
  for (const auto& [text, accepted, why] : rows)
    EXPECT_EQ(ParseManifest(text).has_value(), accepted) << why;
  const auto m = ParseManifest(Manifest(4, "note=a=b"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->version, (Version{1, 4, 2}));
  EXPECT_EQ(m->url, "https://dl.example.test/setup.exe");
  EXPECT_EQ(m->size, 123456u);
  EXPECT_EQ(m->sha256[31], 0xEF);
  EXPECT_EQ(m->note, "a=b");
}

TEST(Version, NamesTheSetupFileByItsNumbers) {
  EXPECT_EQ(SetupFileName(*ParseVersion("01.002.3")), "Vel-Tarrow-Setup-1.2.3.exe");
  const std::pair<const char*, bool> rows[] = {
      {"Vel-Tarrow-Setup-1.2.3.exe", true},  // the running version's
      {"Vel-Tarrow-Setup-1.1.9.exe", true},
      {"Vel-Tarrow-Setup-1.2.4.exe", false},  // a newer one is not ours to remove
      {"Vel-Tarrow-Setup-1.2.3.exe.txt", false},
      {"Vel-Tarrow-1.2.3.exe", false},
  };
  for (const auto& [name, old] : rows) EXPECT_EQ(IsSetupFileUpTo(name, {1, 2, 3}), old) << name;
}

TEST(UrlProblem, HttpsOrLoopbackAtEveryHopAndSaysWhatIsWrong) {
  const std::string https = "https://";
  const std::tuple<std::string, std::string, std::string> rows[] = {
      // redirected from (empty: the address itself), to, what is wrong
      {"", "HTTPS://dl.example.test:8443/u?x=1", ""},
      {"", "http://127.0.0.1:8080/update.txt", ""},
      {"", "http://[::1]:8080/x", ""},
      {"", https + "h/" + std::string(2038, 'a'), ""},  // 2048: the longest
      {"", https + "h/" + std::string(2039, 'a'), "is longer than 2048 characters"},
      {"", https + std::string(255, 'h') + "/", ""},
      {"", https + std::string(256, 'h') + "/", "has a host name longer than 255 characters"},
      {"", "http://dl.example.test/update.txt", "must begin with https://"},
      {"", "http://127.0.0.2/x", "must begin with https://"},               // only the one address
      {"", "http://127.0.0.1.example.test/x", "must begin with https://"},  // begins like it
      {"", "127.0.0.1/x", "must begin with https://"},
      {"", "http://127.0.0.1@example.test/x", "may not name a user"},  // the host is elsewhere
      {"", "http://127.0.0.1\\@example.test/",
       "may not contain blanks, backslashes or control characters"},
      {"", "http://127.0.0.1:/x", "has an invalid port"},
      {"", "https://dl.example.test:0/x", "has an invalid port"},
      {"", "https:///x", "has no host name"},
      {"https://a.test/u", "https://b.test/v", ""},
      {"http://127.0.0.1:1/u", "http://localhost:2/v", ""},
      {"http://127.0.0.1:1/u", "https://b.test/v", ""},
      {"HTTPS://a.test/u", "HTTP://127.0.0.1/v", "must stay on https"},
      {"http://127.0.0.1:1/u", "http://b.test/v", "must begin with https://"},
  };
  for (const auto& [from, to, problem] : rows)
    EXPECT_EQ(from.empty() ? UrlProblem(to) : RedirectProblem(from, to), problem) << to;
}

TEST(SplitSignature, TheLastLineSignsEveryByteBeforeIt) {
  const std::string sig = "sig=" + std::string(126, '0') + "0A";
  for (const char* eol : {"", "\n", "\r\n"}) {
    const std::string text = Manifest() + sig + eol;
    const auto s = SplitSignature(text);
    ASSERT_TRUE(s) << eol;
    EXPECT_EQ(s->text, Manifest());
    EXPECT_EQ(s->signature[63], 0x0A);
  }
  const std::pair<std::string, const char*> refused[] = {
      {Manifest(), "unsigned"},
      {Manifest() + sig.substr(0, 131), "127 digits"},
      {Manifest() + sig.substr(0, 131) + "g", "not hex"},
      {Manifest() + sig + "\n" + kLines[0], "a line after it"},
  };
  for (const auto& [text, why] : refused) EXPECT_FALSE(SplitSignature(text)) << why;
}

TEST(ChooseUpdateChannel, OnlyWithBuiltAddressAndKey) {
  const std::string key(128, 'f'), built = "https://dl.example.test/update.txt";
  EXPECT_FALSE(ChooseUpdateChannel("", key, "https://user.test/u")) << "no built address";
  EXPECT_FALSE(ChooseUpdateChannel(built, "", "")) << "no key";
  EXPECT_EQ(ChooseUpdateChannel(built, key, "")->url, built);
  EXPECT_EQ(ChooseUpdateChannel(built, key, "https://user.test/u")->url, "https://user.test/u")
      << "the user's address replaces the built one";
}

}  // namespace
}  // namespace vt
