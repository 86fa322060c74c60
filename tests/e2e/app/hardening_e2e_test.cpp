// The real program against hostile input: long close-list entries, damaged
// settings, a long program path and windows whose thread never answers.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialog_watcher.h"
#include "e2e_support.h"

namespace vt::e2e {
namespace {

constexpr int kIdcCommand2 = 2004, kIdcCommand3 = 2007;

// `n` bytes after `lead`, ASCII and ANSI bytes 0xA0-0xFF, no wildcard: a
// pattern that no window title (259 characters at most) can match.
std::string LongText(char lead, std::size_t n) {
  std::string s(1, lead);
  for (std::size_t i = 1; i < n; ++i) {
    const int c = 0x40 + static_cast<int>(i % 0xC0);
    s += static_cast<char>(c >= 0x80 && c < 0xA0 ? 'a' + c % 26 : c == '[' ? '(' : c);
  }
  return s;
}

class Hardening : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(App::ExePath().empty());
    ResetSettings();
    WriteValue(kSettingsKey, "StartWithWindows", "False");
  }
  void TearDown() override { ResetSettings(); }
  static std::optional<std::string> Stored(const std::string& name) {
    return RawValue(HKEY_CURRENT_USER, kListKey, name.c_str());
  }
};

// Entries far longer than a title are loaded, matched on every scan, saved
// and edited whole: the stored bytes come back unchanged.
TEST_F(Hardening, LongCloseListEntriesAreReadWhole) {
  const std::string a = LongText('A', 600), b = LongText('B', 5000), c = LongText('C', 65536);
  WriteValue(kListKey, "Count", "4");
  WriteValue(kListKey, "List1", c);
  WriteValue(kListKey, "List2", "zzz short");
  WriteValue(kListKey, "List3", a);
  WriteValue(kListKey, "List4", b);
  WriteValue(kSettingsKey, "Time", "1");
  App app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitFor([&] { return app.StatusText().find("since startup") != std::string::npos; }))
      << "a scan ran over the long patterns";
  app.Select(kIdcList1, 2);  // the 64 K entry: its tip shows the whole text
  app.Select(kIdcList1, 3);
  app.Command(kIdcCommand2);  // "zzz short" goes; the save rewrites the rest
  ASSERT_TRUE(WaitFor([&] { return Stored("Count") == std::string("3", 2); }));
  EXPECT_EQ(Stored("List1"), a + '\0');
  EXPECT_EQ(Stored("List2"), b + '\0');
  EXPECT_EQ(Stored("List3"), c + '\0');

  for (std::size_t n : {600, 5000, 65536}) {  // typed into the Edit box over List1
    const std::string typed = LongText('D', n);
    app.Select(kIdcList1, 0);
    DialogWatcher input("Edit Window to close list", typed);
    app.Command(kIdcCommand3);
    input.Wait();
    ASSERT_TRUE(input.found) << n;
    EXPECT_TRUE(WaitFor([&] { return Stored("List1") == typed + '\0'; })) << n;
  }
  EXPECT_TRUE(app.process().Running());
}

}  // namespace
}  // namespace vt::e2e
