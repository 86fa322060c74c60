// The real program under Wine, driven from outside as a user or another
// program would: settings through the registry, clicks as window messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kIdcText1 = 2009;

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(App::ExePath().empty()) << "VT_EXE_VEL_TARROW not set";
    ResetSettings();
  }
  void TearDown() override { ResetSettings(); }

  // Opens pop-ups in a helper process; returns once they exist.
  void OpenPopups(Process& p, const std::string& args) {
    const std::string exe = Env("VT_EXE_VT_POPUPS");
    ASSERT_FALSE(exe.empty());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "vt_e2e_ready");
    ResetEvent(ready);
    ASSERT_TRUE(p.Start(Quoted(exe) + " --quiet --exit-after 60 --ready-event vt_e2e_ready " + args));
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    CloseHandle(ready);
  }

  std::string LogPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    DeleteFileA(path.c_str());
    return path;
  }
};

TEST_F(AppTest, FirstStartWritesDefaultsAndHidesInTheTray) {
  const int iconsBefore = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());

  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "2");
  EXPECT_EQ(ReadValue(kListKey, "Count"), "11");
  EXPECT_EQ(ReadValue(kListKey, "List5"), "Ad - Microsoft Internet Explorer");
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(App::ExePath()))
      << "the Run value is the quoted path of the exe";
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed: 0");
  EXPECT_FALSE(IsWindowVisible(app.Main()));
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore + 1; }, seconds(5)));
  // Nothing of the close-to-tray path is written by start-up.
  EXPECT_FALSE(ReadValue(kSettingsKey, "Closed"));
  EXPECT_FALSE(ReadValue(kSettingsKey, "MainTop"));

  // The list boxes show the eleven patterns and this test's own windows are
  // not among the running ones (own titles are left out, others are listed).
  EXPECT_EQ(SendMessageA(app.Control(2006), LB_GETCOUNT, 0, 0), 11);
}

TEST_F(AppTest, ClosesAMatchingPopupAndCountsIt) {
  WriteValue(kSettingsKey, "Time", "1");
  App app;
  ASSERT_TRUE(app.Start());

  // Case differs from the pattern: stays open over several scans.
  Process upper;
  const std::string upperLog = LogPath("vt_e2e_upper.log");
  OpenPopups(upper, "--log " + Quoted(upperLog) + " \"AD - MICROSOFT INTERNET EXPLORER\"");
  std::this_thread::sleep_for(milliseconds(2600));
  EXPECT_TRUE(upper.Running());
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed since startup: 0");
  upper.Kill();
  // Its entry would otherwise stand for the next window of the same title up
  // to letter case, keeping its own text and old handle.
  HWND running = app.Control(2002);
  ASSERT_TRUE(WaitFor(
      [&] {
        return SendMessageA(running, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>("Ad - Microsoft Internet Explorer")) < 0;
      },
      seconds(3)));

  Process ad;
  const std::string log = LogPath("vt_e2e_ad.log");
  OpenPopups(ad, "--log " + Quoted(log) + " \"Ad - Microsoft Internet Explorer\"");
  EXPECT_TRUE(ad.WaitExit(1000 + 3000)) << "closed within one Refresh Time plus a margin";
  EXPECT_TRUE(WaitFor([&] { return app.StatusText() == "Total POP-UP ads closed since startup: 1"; },
                      seconds(3)))
      << app.StatusText();
  std::ifstream in(log);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "WM_CLOSE 0 Ad - Microsoft Internet Explorer");
}

TEST_F(AppTest, CloseNowRequestEndsTheProgramButNotALeftoverOne) {
  WriteValue(kSettingsKey, "CloseNow", "True");  // left over from an earlier run
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(app.process().WaitExit(3000)) << "a leftover request must not end a new run";
  EXPECT_FALSE(ReadValue(kSettingsKey, "CloseNow")) << "start-up deletes the request";

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
  const auto before = SnapshotSettings();

  Process second;
  ASSERT_TRUE(second.Start(Quoted(App::ExePath())));
  EXPECT_TRUE(second.WaitExit(3000));
  EXPECT_EQ(SnapshotSettings(), before);
  EXPECT_TRUE(first.process().Running());
}

TEST_F(AppTest, RefreshTimeIsClampedAndStored) {
  App app;
  ASSERT_TRUE(app.Start());
  HWND text1 = app.Control(kIdcText1);
  ASSERT_TRUE(text1);
  EXPECT_EQ(WindowTextOf(text1), "2");

  struct Row {
    const char* typed;
    const char* shown;
    const char* why;
  } rows[] = {
      {"75", "60", "above the range clamps to 60"},
      {"", "1", "an empty box reads 1"},
      {"0", "1", "below the range clamps to 1"},
      {"abc", "1", "text that is no number reads 1"},
      {"30", "30", "a value in range stays as typed"},
  };
  for (const Row& r : rows) {
    SendMessageA(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.typed));
    EXPECT_EQ(WindowTextOf(text1), r.shown) << r.why;
    EXPECT_EQ(ReadValue(kSettingsKey, "Time"), r.shown) << r.why;
  }
}

TEST_F(AppTest, StoredTimeAboveRangeIsCorrectedAtStart) {
  WriteValue(kSettingsKey, "Time", "90");
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_EQ(WindowTextOf(app.Control(kIdcText1)), "60");
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "60");
}

TEST_F(AppTest, TrayMessagesShowTheWindowAndOpenTheMenu) {
  App app;
  ASSERT_TRUE(app.Start());
  HWND main = app.Main();

  app.Tray(WM_LBUTTONUP);  // ignored
  app.Tray(WM_RBUTTONUP);  // repaints only
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(IsWindowVisible(main));

  app.Tray(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, seconds(3)));

  app.Tray(WM_RBUTTONDOWN);
  HWND menu = nullptr;
  EXPECT_TRUE(WaitFor(
      [&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
      },
      seconds(3)));
  EXPECT_EQ(GetForegroundWindow(), main) << "the main window comes forward before the menu";
  SendMessageA(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, seconds(3)));
}

TEST_F(AppTest, ExitRemovesTheIconAndEndsTheProcess) {
  const int iconsBefore = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore + 1; }, seconds(5)));
  app.Command(kIdmExit);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore; }, seconds(5)));
}

TEST_F(AppTest, SessionEndExitsWithoutSaving) {
  App app;
  ASSERT_TRUE(app.Start());
  DWORD_PTR result = 0;
  SendMessageTimeoutA(app.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_FALSE(ReadValue(kSettingsKey, "Closed"));
  EXPECT_FALSE(ReadValue(kSettingsKey, "MainTop"));
}

}  // namespace
}  // namespace vt::e2e
