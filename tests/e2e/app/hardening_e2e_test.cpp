// The real program against hostile input: long close-list entries, damaged
// settings and windows whose thread never answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>

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
  // The save writes "Count" first and List3 last: wait for the last one.
  ASSERT_TRUE(WaitFor([&] { return Stored("List3") == c + '\0'; }));
  EXPECT_EQ(Stored("Count"), std::string("3", 2));
  EXPECT_EQ(Stored("List1"), a + '\0');
  EXPECT_EQ(Stored("List2"), b + '\0');

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

// A damaged value as another program or a broken disk might leave it.
struct Raw {
  const char* key;
  const char* name;
  DWORD type;
  std::string data;  // stored as is: add the NUL for text
};

Raw Sz(const char* key, const char* name, const std::string& text) {
  return {key, name, REG_SZ, text + '\0'};
}

// Every garbage value comes up within a second of a normal start measured just
// before, shows Refresh Time 1, a count of 0 and 1000 entries at most, and
// leaves what start-up does not write as it was.
TEST_F(Hardening, GarbageSettingsStartAsFastAsANormalStart) {
  const std::string k64(65536, 'x'), nines(65536, '9');
  const char* S = kSettingsKey;
  const char* L = kListKey;
  const std::pair<const char*, std::vector<Raw>> rows[] = {
      {"a count beyond a real list; numbers too large; a damaged position",
       {Sz(L, "Count", "1e9"), Sz(S, "Time", nines), Sz(S, "Closed", nines),
        Sz(S, "MainTop", "abc"), Sz(S, "MainLeft", k64), Sz(S, "Cover", "maybe")}},
      {"the largest double; a 64 K entry",
       {Sz(L, "Count", "1e308"), Sz(L, "List1", k64), Sz(S, "Time", "1e999"),
        Sz(S, "Closed", "1e400"), Sz(S, "MainTop", k64), Sz(S, "MainLeft", "abc")}},
      {"twenty nines; binary refresh time; a request of another type",
       {Sz(L, "Count", "99999999999999999999"),
        {S, "Time", REG_BINARY, "\x01\x02\x03"},
        {S, "CloseNow", REG_MULTI_SZ, std::string("True\0True\0\0", 11)}}},
  };
  const std::vector<Raw> foreign = {Sz(S, "Foreign", k64), Sz(L, "Foreign", "1e9")};
  for (const auto& [why, values] : rows) {
    std::optional<App> garbage;
    double ms = 1e9, normal = 0;
    std::vector<Raw> damaged = foreign;
    damaged.insert(damaged.end(), values.begin(), values.end());
    auto timedStart = [&](const std::vector<Raw>& stored) {
      garbage.reset();
      ResetSettings();
      WriteValue(kSettingsKey, "StartWithWindows", "False");
      for (const auto& v : stored) WriteRaw(v.key, v.name, v.type, v.data.data(), v.data.size());
      const auto t0 = std::chrono::steady_clock::now();
      const bool ok = garbage.emplace().Start();
      return ok ? std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                      .count()
                : 1e9;
    };
    // One more pair when the first is slow: a loaded machine, not the program.
    for (int pair = 0; pair < 2 && ms > normal + 1000; ++pair) {
      normal = timedStart({});
      ms = timedStart(damaged);
    }
    const App& app = *garbage;
    EXPECT_LE(ms, normal + 1000) << why << ": normal start " << normal << " ms";
    EXPECT_EQ(TextOf(app.Control(kIdcText1)), "1") << why;
    EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "1") << why;
    const std::string status = app.StatusText();  // a first scan may have rewritten it
    EXPECT_EQ(status.substr(status.rfind(": ") + 2), "0") << status << ": " << why;
    EXPECT_EQ(SendMessageA(app.Control(kIdcList1), LB_GETCOUNT, 0, 0), 1000) << why;
    EXPECT_FALSE(ReadValue(kSettingsKey, "CloseNow")) << why;
    RECT r{};
    GetWindowRect(app.Main(), &r);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1) << why;
    for (const auto& v : values) {
      const std::string name = v.name;
      if (name == "Time" || name == "CloseNow") continue;  // rewritten and deleted above
      const auto now = RawValue(HKEY_CURRENT_USER, v.key, v.name);
      if (name == "MainTop" || name == "MainLeft") {  // corrected and written back
        EXPECT_EQ(now, std::to_string((name == "MainTop" ? r.top : r.left) * 15) + '\0') << why;
      } else {
        EXPECT_EQ(now, v.data) << name << " untouched: " << why;
      }
    }
    for (const auto& v : foreign) EXPECT_EQ(RawValue(HKEY_CURRENT_USER, v.key, v.name), v.data);
  }
}

// Windows whose thread never answers: the script-error close gives up on one,
// and selecting one in "Running Windows" restores it without waiting. The
// program goes on scanning and closing, and the tray answers.
TEST_F(Hardening, HungWindowsFreezeNothing) {
  WriteValue(kSettingsKey, "Time", "1");
  App app;
  ASSERT_TRUE(app.Start());
  Popups hung("--hang --minimized \"Internet Explorer Script Error\" \"Hung minimized pop-up\"");
  ASSERT_TRUE(hung.ok());
  auto scansOn = [&](const char* when) {
    static int n = 0;  // a title of its own: an entry keeps the handle it was made with
    Popups ad("\"Advertisement " + std::to_string(++n) + " - Microsoft Internet Explorer\"");
    EXPECT_TRUE(ad.process().WaitExit(1000 + 2000 + 4000)) << when << ": a pop-up still closes";
  };
  for (const char* when : {"script error hung", "script error known to hang"}) scansOn(when);
  app.Show();
  EXPECT_TRUE(IsWindowVisible(app.Main())) << "the tray answers";

  ASSERT_TRUE(WaitFor([&] { return app.RunningIndex("Hung minimized pop-up") >= 0; }));
  HWND list = app.Control(kIdcLstEnumWindows);
  DWORD_PTR r = 0;
  SendMessageTimeoutA(list, LB_SETCURSEL, app.RunningIndex("Hung minimized pop-up"), 0, SMTO_NORMAL,
                      4000, &r);
  PostMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(kIdcLstEnumWindows, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  scansOn("selected hung window");
}

}  // namespace
}  // namespace vt::e2e
