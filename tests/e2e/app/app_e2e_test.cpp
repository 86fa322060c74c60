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
  // Centred at 369 x 441 pixels, and no position written until a close.
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(r.right - r.left, 369);
  EXPECT_EQ(r.bottom - r.top, 441);
  EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 369) / 2, 1);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  for (const char* name : {"Closed", "MainTop", "MainLeft"}) EXPECT_FALSE(ReadValue(kSettingsKey, name));
}

TEST_F(AppTest, ClosesAMatchingPopupAndCountsIt) {
  WriteValue(kSettingsKey, "Time", "1");
  App app;
  ASSERT_TRUE(app.Start());
  {
    Popups upper("\"AD - MICROSOFT INTERNET EXPLORER\"");  // letter case differs
    std::this_thread::sleep_for(milliseconds(2500));
    EXPECT_TRUE(upper.process().Running());
    EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed since startup: 0");
  }
  // Its entry would stand for the next window of the same title up to letter
  // case, keeping its own text and old handle: wait until it has gone.
  ASSERT_TRUE(WaitFor([&] { return app.RunningIndex("Ad - Microsoft Internet Explorer") < 0; }));
  Popups ad("\"Ad - Microsoft Internet Explorer\"");
  EXPECT_TRUE(ad.process().WaitExit(1000 + 3000)) << "closed within one Refresh Time and a margin";
  EXPECT_EQ(ad.Log(), std::vector<std::string>{"WM_CLOSE 0 Ad - Microsoft Internet Explorer"});
  EXPECT_TRUE(WaitFor([&] { return app.StatusText() == "Total POP-UP ads closed since startup: 1"; }))
      << app.StatusText();
}

TEST_F(AppTest, CloseNowRequestEndsTheProgramButNotALeftoverOne) {
  WriteValue(kSettingsKey, "CloseNow", "True");  // left over from an earlier run
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(app.process().WaitExit(3000)) << "a leftover request must not end a new run";
  EXPECT_FALSE(ReadValue(kSettingsKey, "CloseNow")) << "start-up deletes it";
  WriteValue(kSettingsKey, "CloseNow", "garbage");
  EXPECT_FALSE(app.process().WaitExit(2500)) << "text that is no Boolean is no request";
  WriteValue(kSettingsKey, "CloseNow", "tRUE");
  EXPECT_TRUE(app.process().WaitExit(2000 + 1500));
  EXPECT_FALSE(ReadValue(kSettingsKey, "Closed")) << "exit saves nothing";
}

TEST_F(AppTest, SecondCopyExitsAtOnceAndTouchesNoSetting) {
  App first;
  ASSERT_TRUE(first.Start());
  WriteValue(kSettingsKey, "CloseNow", "False");
  WriteValue(kSettingsKey, "StartWithWindows", "False");
  DeleteValue(kSettingsKey, "Time");
  DeleteValue(kRunKey, "Vel-Tarrow");
  Process second(Quoted(App::ExePath()));
  EXPECT_TRUE(second.WaitExit(3000));
  EXPECT_EQ(ReadValue(kSettingsKey, "CloseNow"), "False");
  EXPECT_FALSE(ReadValue(kSettingsKey, "Time"));
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "the second copy does not apply the option";
  EXPECT_TRUE(first.process().Running());
}

TEST_F(AppTest, RefreshTimeIsClampedAndStored) {
  WriteValue(kSettingsKey, "Time", "90");
  App app;
  ASSERT_TRUE(app.Start());
  HWND text1 = app.Control(kIdcText1);
  EXPECT_EQ(TextOf(text1), "60") << "a stored 90 shows as 60";
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "60") << "and is written back";
  struct Row { const char* typed; const char* shown; } rows[] = {
      {"75", "60"}, {"", "1"}, {"0", "1"}, {"abc", "1"}, {"30", "30"}};
  for (const Row& r : rows) {
    SendMessageA(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.typed));
    EXPECT_EQ(TextOf(text1), r.shown) << "typed " << r.typed;
    EXPECT_EQ(ReadValue(kSettingsKey, "Time"), r.shown) << "typed " << r.typed;
  }
}

TEST_F(AppTest, TrayMessagesAndExit) {
  const int icons = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  HWND main = app.Main();
  app.Tray(WM_LBUTTONUP);  // ignored
  app.Tray(WM_RBUTTONUP);  // repaints only
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(IsWindowVisible(main));
  app.Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));

  app.Tray(WM_RBUTTONDOWN);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; }));
  EXPECT_EQ(GetForegroundWindow(), main) << "the main window comes forward before the menu";
  SendMessageA(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));

  app.Command(kIdmExit);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; }));
  for (const char* name : {"Closed", "MainTop", "MainLeft"}) EXPECT_FALSE(ReadValue(kSettingsKey, name));
}

TEST_F(AppTest, SessionEndExitsWithoutSaving) {
  WriteValue(kSettingsKey, "Time", "");  // equal to the empty box, still corrected
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(TextOf(app.Control(kIdcText1)), "1");
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "1");
  SendMessageTimeoutA(app.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_FALSE(ReadValue(kSettingsKey, "Closed"));
}

TEST_F(AppTest, CloseBoxHidesToTheTrayAndSaves) {
  WriteValue(kSettingsKey, "Closed", "41");
  WriteValue(kSettingsKey, "Time", "1");
  const int icons = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  app.Show();
  Popups popups("\"Cover me please\" \"Ad - Microsoft Internet Explorer\"");
  ASSERT_TRUE(WaitFor([&] { return app.StatusText() == "Total POP-UP ads closed since startup: 42"; },
                      seconds(6)));
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

TEST_F(AppTest, OffScreenPositionIsCentredAndWrittenBack) {
  WriteValue(kSettingsKey, "MainTop", "-200");
  WriteValue(kSettingsKey, "MainLeft", "1500");
  App app;
  ASSERT_TRUE(app.Start());
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  EXPECT_EQ(r.left, 100) << "the left that fits is kept";
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), "1500");
}

TEST_F(AppTest, RightClickOpensEachListsMenuWhateverTheSelection) {
  App app;
  ASSERT_TRUE(app.Start());
  app.Show();
  for (int id : {kIdcLstEnumWindows, kIdcList1}) {
    for (int sel : {-1, 0}) {
      HWND list = app.Control(id);
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);
      PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
      EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; })) << id << "/" << sel;
      SendMessageA(app.Main(), WM_CANCELMODE, 0, 0);
      PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
      EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));
    }
  }
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_EQ(VisibleWindow("#32768"), nullptr) << "a left press opens no menu";
}

TEST_F(AppTest, SelectingAWindowRestoresItAndCoversIt) {
  WriteValue(kSettingsKey, "Cover", "7");  // a number other than 0 reads as on
  App app;
  ASSERT_TRUE(app.Start());
  Popups popups("\"Minimized pop-up\" \"Maximized pop-up\"");
  HWND minimized = FindWindowA(nullptr, "Minimized pop-up");
  HWND maximized = FindWindowA(nullptr, "Maximized pop-up");
  ShowWindow(minimized, SW_MINIMIZE);
  ShowWindow(maximized, SW_MAXIMIZE);
  app.Command(kIdmRefresh);
  ASSERT_TRUE(WaitFor([&] { return app.RunningIndex("Minimized pop-up") >= 0; }));

  app.Select(kIdcLstEnumWindows, app.RunningIndex("Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(minimized); }));
  HWND cover = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (cover = VisibleWindow("VelTarrowCover")) != nullptr; }));
  RECT target{}, covered{};
  GetWindowRect(minimized, &target);
  GetWindowRect(cover, &covered);
  EXPECT_TRUE(EqualRect(&target, &covered));
  EXPECT_TRUE(GetWindowLongA(app.Main(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "main stays topmost";

  app.Select(kIdcLstEnumWindows, app.RunningIndex("Maximized pop-up"));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(IsZoomed(maximized)) << "a window that is not minimized keeps its state";

  app.Command(kIdmCover);  // off: the next selection only hides the cover
  EXPECT_TRUE(WaitFor([] { return ReadValue(kSettingsKey, "Cover") == "False"; }));
  EXPECT_TRUE(IsWindowVisible(cover)) << "toggling alone does not hide it";
  app.Select(kIdcLstEnumWindows, app.RunningIndex("Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cover); }));
}

TEST_F(AppTest, TrayIconComesBackAfterTheShellLosesIt) {
  WriteValue(kSettingsKey, "Time", "1");
  const int icons = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == icons + 1; }));
  NOTIFYICONDATAA nid{};  // what a shell restart does to the icon
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = app.Main();
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == icons; }));
  // Re-added on every 21st scan tick: within 21 s at one tick a second.
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == icons + 1; }, seconds(24)));
}

TEST_F(AppTest, HelpWithoutAPageDoesNothing) {
  const std::string dir = TempPath("vt_nohelp"), copy = dir + "\\Vel-Tarrow.exe";
  CreateDirectoryA(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(App::ExePath().c_str(), copy.c_str(), FALSE));  // no page beside it
  {
    App app;
    ASSERT_TRUE(app.Start(copy));
    app.Command(kIdmHelpTopics);
    std::this_thread::sleep_for(milliseconds(800));
    EXPECT_TRUE(app.process().Running());
    EXPECT_EQ(VisibleWindow("#32770"), nullptr) << "no message box";
  }
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace vt::e2e
