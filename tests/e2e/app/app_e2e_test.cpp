// The real program under Wine, driven from outside as a user or another
// program would: settings through the registry, clicks as window messages.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(App::ExePath().empty());
    ResetSettings();
  }
  void TearDown() override { ResetSettings(); }
};

TEST_F(AppTest, FirstStartWritesDefaultsAndHidesInTheTray) {
  const int icons = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "2");
  EXPECT_EQ(ReadValue(kListKey, "Count"), "11");
  EXPECT_EQ(SendMessageA(app.Control(kIdcList1), LB_GETCOUNT, 0, 0), 11);
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(App::ExePath()));
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed: 0");
  EXPECT_FALSE(IsWindowVisible(app.Main()));
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons + 1; }));
  const std::pair<int, const char*> captions[] = {
      {2001, "Running Windows"},  {2003, ">"},     {2004, "<"},
      {2005, "Windows To Close"}, {2007, "&Edit"}, {2008, "Refresh Time"},
      {2011, "Seconds"}};
  for (auto [id, caption] : captions) EXPECT_EQ(TextOf(app.Control(id)), caption);
  // Centred at 369 x 441 pixels, and no position written until a close.
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(r.right - r.left, 369);
  EXPECT_EQ(r.bottom - r.top, 441);
  EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 369) / 2, 1);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  for (const char* name : {"Closed", "MainTop", "MainLeft"})
    EXPECT_FALSE(ReadValue(kSettingsKey, name));
}

TEST_F(AppTest, CloseNowRequestEndsTheProgramAndASecondCopyTouchesNothing) {
  WriteValue(kSettingsKey, "CloseNow", "True");  // left over from an earlier run
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(app.process().WaitExit(3000)) << "a leftover request must not end a new run";
  EXPECT_FALSE(ReadValue(kSettingsKey, "CloseNow")) << "start-up deletes it";
  WriteValue(kSettingsKey, "CloseNow", "False");
  WriteValue(kSettingsKey, "StartWithWindows", "False");
  DeleteValue(kSettingsKey, "Time");
  DeleteValue(kRunKey, "Vel-Tarrow");
  Process second(Quoted(App::ExePath()));
  EXPECT_TRUE(second.WaitExit(3000)) << "a second copy exits at once";
  EXPECT_EQ(ReadValue(kSettingsKey, "CloseNow"), "False");
  EXPECT_FALSE(ReadValue(kSettingsKey, "Time"));
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "the second copy does not apply the option";
  WriteValue(kSettingsKey, "CloseNow", "garbage");
  EXPECT_FALSE(app.process().WaitExit(2500)) << "text that is no Boolean is no request";
  WriteValue(kSettingsKey, "CloseNow", "tRUE");
  EXPECT_TRUE(app.process().WaitExit(2000 + 1500));
  EXPECT_FALSE(ReadValue(kSettingsKey, "Closed")) << "exit saves nothing";
}

TEST_F(AppTest, RefreshTimeAndOffScreenPositionAreCorrectedAndWrittenBack) {
  WriteValue(kSettingsKey, "Time", "90");
  WriteValue(kSettingsKey, "MainTop", "-200");
  WriteValue(kSettingsKey, "MainLeft", "1500");
  WriteValue(kSettingsKey, "Closed", "1234566.5");
  App app;
  ASSERT_TRUE(app.Start());
  // The stored count at once, whole, a half to the even neighbour.
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed: 1234566");
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  EXPECT_EQ(r.left, 100) << "the left that fits is kept";
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), "1500");
  HWND text1 = app.Control(kIdcText1);
  EXPECT_EQ(TextOf(text1), "60") << "a stored 90 shows as 60";
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "60") << "and is written back";
  PostMessageA(app.Main(), WM_CLOSE, 0, 0);  // to the tray: no scan has counted yet
  EXPECT_TRUE(WaitFor([&] { return ReadValue(kSettingsKey, "Closed") == "1234566"; }));
  struct Row {
    const char* typed;
    const char* shown;
  } rows[] = {{"75", "60"}, {"", "1"}, {"abc", "1"}, {"0.5", "1"}, {"30", "30"}, {"0", "1"}};
  for (const Row& r : rows) {  // "abc" and "0.5" come while the spin control shows 1
    SendMessageA(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.typed));
    EXPECT_EQ(TextOf(text1), r.shown) << "typed " << r.typed;
    EXPECT_EQ(ReadValue(kSettingsKey, "Time"), r.shown) << "typed " << r.typed;
  }
  // The scans follow the corrected text: a pop-up that ignores WM_CLOSE is
  // asked once per scan, so about once a second now.
  Popups stays("--ignore-close \"Ad - Microsoft Internet Explorer\"");
  std::this_thread::sleep_for(milliseconds(4500));
  const std::size_t asked = stays.Log().size();
  EXPECT_TRUE(asked >= 2 && asked <= 7) << asked << " requests in 4.5 s";
}

TEST_F(AppTest, TrayIconComesBackAndAnswersClicksUntilTheSessionEnds) {
  WriteValue(kSettingsKey, "Time", "");  // equal to the empty box, still corrected
  const int icons = CountTrayIcons();
  // Asked, and counted, once per scan tick: the status bar counts the ticks.
  Popups stays("--ignore-close \"Ad - Microsoft Internet Explorer\"");
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(TextOf(app.Control(kIdcText1)), "1");
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "1");
  HWND main = app.Main();
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == icons + 1; }));
  NOTIFYICONDATAA nid{};  // what a shell restart does to the icon
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = main;
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; }));
  // Re-added on the 21st scan tick, the one that makes the count 21.
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == icons + 1; }, seconds(30)));
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed since startup: 21");

  for (UINT ignored : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_RBUTTONDBLCLK})
    app.Click(ignored);
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(IsWindowVisible(main)) << "only a double click shows the window";
  app.Click(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));

  app.Click(WM_RBUTTONDOWN);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; }));
  EXPECT_EQ(GetForegroundWindow(), main) << "the main window comes forward before the menu";
  SendMessageA(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));

  // Logging off ends the program as the Exit command does: no icon, nothing saved.
  SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; }));
  for (const char* name : {"Closed", "MainTop", "MainLeft"})
    EXPECT_FALSE(ReadValue(kSettingsKey, name));
}

TEST_F(AppTest, CloseBoxHidesToTheTrayAndSaves) {
  WriteValue(kSettingsKey, "Closed", "40.5");  // one more makes 41.5: even 42
  WriteValue(kSettingsKey, "Time", "1");
  WriteValue(kSettingsKey, "Cover", "yes");  // damaged: the default, on
  // Listed first; matches no pattern and begins with the title of the ad below.
  Popups longer("\"Ad - Microsoft Internet Explorer (not an ad)\"");
  const int icons = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  app.Show();
  Popups popups("\"Cover me please\" \"Ad - Microsoft Internet Explorer\"");
  ASSERT_TRUE(WaitFor(
      [&] { return app.StatusText() == "Total POP-UP ads closed since startup: 42"; }, seconds(6)));
  app.Select(kIdcLstEnumWindows, app.RunningIndex("Cover me please"));
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("VelTarrowCover") != nullptr; }));

  PostMessageA(app.Main(), WM_CLOSE, 0, 0);  // the close box, or any program
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Main()); }));
  // The cover is hidden last, after the main window.
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("VelTarrowCover") == nullptr; }));
  EXPECT_TRUE(app.process().Running());
  EXPECT_EQ(CountTrayIcons(), icons + 1);
  EXPECT_EQ(ReadValue(kSettingsKey, "Closed"), "42");
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), std::to_string(r.left * 15));
  Popups another("\"Message Alert - Microsoft Internet Explorer\"");
  EXPECT_TRUE(another.process().WaitExit(4000)) << "still scanning";
  EXPECT_TRUE(longer.process().Running());
}

TEST_F(AppTest, StartWithWindowsFollowsTheToggleAcrossRestarts) {
  const std::string quoted = Quoted(App::ExePath());
  const char* states[] = {"False", "True"};
  for (const char* want : states) {  // on -> off, restart, off -> on
    App app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow").has_value(), std::string(want) == "False");
    app.Command(kIdmStartwWindows);
    // The option is written before the Run value: wait for the last of the two.
    const auto run = std::string(want) == "True" ? std::optional(quoted) : std::nullopt;
    EXPECT_TRUE(WaitFor([&] { return ReadValue(kRunKey, "Vel-Tarrow") == run; })) << want;
    EXPECT_EQ(ReadValue(kSettingsKey, "StartWithWindows"), want);
  }
  WriteValue(kSettingsKey, "StartWithWindows", "true");  // another letter case is off
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow"));
}

// Each trigger of the close-list commands, as the stored list shows it. The
// right button opens each list's menu, with no entry selected too. The cover
// option is on (no "Cover" value).
TEST_F(AppTest, CloseListCommandsAndSelectingARunningWindow) {
  App app;
  ASSERT_TRUE(app.Start());
  app.Show();
  for (int id : {kIdcLstEnumWindows, kIdcList1}) {
    PostMessageA(app.Control(id), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; })) << id;
    SendMessageA(app.Main(), WM_CANCELMODE, 0, 0);
    PostMessageA(app.Control(id), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));
  }
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_EQ(VisibleWindow("#32768"), nullptr) << "a left press opens no menu";

  Popups popups("\"Pick me\" \"Minimized pop-up\" \"Maximized pop-up\"");
  HWND minimized = FindWindowA(nullptr, "Minimized pop-up");
  HWND maximized = FindWindowA(nullptr, "Maximized pop-up");
  ShowWindow(minimized, SW_MINIMIZE);
  ShowWindow(maximized, SW_MAXIMIZE);
  app.Command(kIdmRefresh);
  ASSERT_TRUE(WaitFor([&] { return app.RunningIndex("Minimized pop-up") >= 0; }));
  // The list whose entry is selected; a button clicked, a double click, or a menu command.
  const std::tuple<int, int, const char*, const char*> rows[] = {
      {kIdcLstEnumWindows, 2003, "12", "\">\" adds the selected title"},
      {kIdcList1, 2004, "11", "\"<\" removes the selected entry"},
      {kIdcLstEnumWindows, LBN_DBLCLK, "12", "a double click on a running window adds"},
      {kIdcList1, LBN_DBLCLK, "11", "a double click on the close list removes"},
      {kIdcLstEnumWindows, 1009, "12", "\"&Add\" of the running list's menu"},
      {kIdcList1, 1010, "11", "\"Remove\" of the close list's menu"},
  };
  for (auto [list, trigger, count, why] : rows) {
    app.Select(list, app.Index(list, "Pick me"));
    const bool adds = list == kIdcLstEnumWindows;  // the cover option is on: selecting covers
    EXPECT_TRUE(!adds || WaitFor([] { return VisibleWindow("VelTarrowCover") != nullptr; }));
    if (trigger > 2000) SendMessageA(app.Control(trigger), BM_CLICK, 0, 0);
    if (trigger == LBN_DBLCLK) PostMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(list, trigger), 0);
    if (trigger < 2000 && trigger > 1000) app.Command(trigger);
    EXPECT_TRUE(WaitFor([&] { return ReadValue(kListKey, "Count") == count; })) << why;
    EXPECT_TRUE(!adds || !VisibleWindow("VelTarrowCover")) << why << ": adding hides the cover";
  }

  // Selecting a window restores a minimized one and covers it.
  app.Select(kIdcLstEnumWindows, app.RunningIndex("Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(minimized); }));
  HWND cover = nullptr;  // laid on the restored window: the cover test checks where
  ASSERT_TRUE(WaitFor([&] { return (cover = VisibleWindow("VelTarrowCover")) != nullptr; }));
  app.Select(kIdcLstEnumWindows, app.RunningIndex("Maximized pop-up"));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(IsZoomed(maximized)) << "a window that is not minimized keeps its state";
  app.Command(kIdmCover);  // off: the next selection only hides the cover
  EXPECT_TRUE(WaitFor([] { return ReadValue(kSettingsKey, "Cover") == "False"; }));
  EXPECT_TRUE(IsWindowVisible(cover)) << "toggling alone does not hide it";
  app.Select(kIdcLstEnumWindows, app.RunningIndex("Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cover); }));
  app.Command(kIdmExit);  // the tray menu's "E&xit"
  EXPECT_TRUE(app.process().WaitExit(5000));
}

}  // namespace
}  // namespace vt::e2e
