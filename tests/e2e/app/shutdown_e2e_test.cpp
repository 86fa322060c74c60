// Closing to the tray, the Exit command, start with Windows and the saved
// window position, on the real program.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kIdcLstEnumWindows = 2002;

class ShutdownTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(App::ExePath().empty());
    ResetSettings();
  }
  void TearDown() override { ResetSettings(); }
};

// Selects a running window in the list the way a click does.
void SelectRunning(const App& app, const std::string& title) {
  HWND list = app.Control(kIdcLstEnumWindows);
  const LRESULT index =
      SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(title.c_str()));
  ASSERT_GE(index, 0) << title << " is not listed";
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(kIdcLstEnumWindows, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

HWND VisibleCover() {
  HWND c = FindWindowA("VelTarrowCover", nullptr);
  return c && IsWindowVisible(c) ? c : nullptr;
}

TEST_F(ShutdownTest, CloseBoxHidesToTheTrayAndSaves) {
  WriteValue(kSettingsKey, "Closed", "41");
  WriteValue(kSettingsKey, "Time", "1");
  const int iconsBefore = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  app.Tray(WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(app.Main()) != FALSE; }, seconds(3)));

  // A pop-up to close (count 42) and one to cover.
  Process popups;
  ASSERT_TRUE(popups.Start(Quoted(Env("VT_EXE_VT_POPUPS")) +
                           " --quiet --exit-after 60 \"Cover me please\" "
                           "\"Ad - Microsoft Internet Explorer\""));
  ASSERT_TRUE(WaitFor([&] { return app.StatusText() == "Total POP-UP ads closed since startup: 42"; },
                      seconds(6)))
      << app.StatusText();
  SelectRunning(app, "Cover me please");
  EXPECT_TRUE(WaitFor([&] { return VisibleCover() != nullptr; }, seconds(5)));

  // The close box (or any WM_CLOSE from outside).
  PostMessageA(app.Main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.Main()); }, seconds(3)));
  EXPECT_EQ(VisibleCover(), nullptr);
  EXPECT_TRUE(app.process().Running());
  EXPECT_EQ(CountTrayIcons(), iconsBefore + 1);
  EXPECT_EQ(ReadValue(kSettingsKey, "Closed"), "42");
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), std::to_string(r.left * 15));

  // Still scanning after the close. (Another title: an entry outlives its
  // window until the next refresh and keeps the old handle.)
  Process another;
  ASSERT_TRUE(another.Start(Quoted(Env("VT_EXE_VT_POPUPS")) +
                            " --quiet --exit-after 60 \"Message Alert - Microsoft Internet Explorer\""));
  EXPECT_TRUE(another.WaitExit(4000)) << app.StatusText();
}

TEST_F(ShutdownTest, ExitWritesNothing) {
  App app;
  ASSERT_TRUE(app.Start());
  app.Tray(WM_LBUTTONDBLCLK);
  app.Command(kIdmExit);
  EXPECT_TRUE(app.process().WaitExit(5000));
  for (const char* name : {"Closed", "MainTop", "MainLeft"}) {
    EXPECT_FALSE(ReadValue(kSettingsKey, name)) << name;
  }
}

TEST_F(ShutdownTest, StartWithWindowsFollowsTheToggleAcrossRestarts) {
  const std::string quoted = Quoted(App::ExePath());
  {
    App app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), quoted);
    app.Command(kIdmStartwWindows);
    EXPECT_TRUE(WaitFor([&] { return !ReadValue(kRunKey, "Vel-Tarrow"); }, seconds(3)));
    EXPECT_EQ(ReadValue(kSettingsKey, "StartWithWindows"), "False");
    app.Command(kIdmExit);
    ASSERT_TRUE(app.process().WaitExit(5000));
  }
  {
    App app;  // off survives the restart: start-up does not write the value back
    ASSERT_TRUE(app.Start());
    EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow"));
    app.Command(kIdmStartwWindows);
    EXPECT_TRUE(WaitFor([&] { return ReadValue(kRunKey, "Vel-Tarrow") == quoted; }, seconds(3)));
    EXPECT_EQ(ReadValue(kSettingsKey, "StartWithWindows"), "True");
    app.Command(kIdmExit);
    ASSERT_TRUE(app.process().WaitExit(5000));
  }
  // "true" in another letter case counts as off: start-up deletes the value.
  WriteValue(kSettingsKey, "StartWithWindows", "true");
  App app;
  ASSERT_TRUE(app.Start());
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow"));
}

TEST_F(ShutdownTest, OffScreenPositionIsCentredAndWrittenBack) {
  WriteValue(kSettingsKey, "MainTop", "-200");
  WriteValue(kSettingsKey, "MainLeft", "1500");
  App app;
  ASSERT_TRUE(app.Start());
  RECT r{};
  GetWindowRect(app.Main(), &r);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.right - r.left, 369) << "5535 twips wide";
  EXPECT_EQ(r.bottom - r.top, 441) << "6615 twips high";
  EXPECT_NEAR(r.top, (screenH - 441) / 2, 1) << "centred vertically";
  EXPECT_EQ(r.left, 100) << "the left that fits is kept";
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), "1500");
}

TEST_F(ShutdownTest, FirstStartIsCentredAndWritesNoPosition) {
  App app;
  ASSERT_TRUE(app.Start());
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 369) / 2, 1);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  EXPECT_FALSE(ReadValue(kSettingsKey, "MainTop"));
  EXPECT_FALSE(ReadValue(kSettingsKey, "MainLeft"));
}

}  // namespace
}  // namespace vt::e2e
