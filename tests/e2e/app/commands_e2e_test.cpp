// The main window's list commands, the cover option, the tray re-add and the
// help command, on the real program.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "e2e_support.h"

namespace vt::e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kIdcLstEnumWindows = 2002;
constexpr int kIdcList1 = 2006;
constexpr int kIdmRefresh = 1001;
constexpr int kIdmHelpTopics = 1004;

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(App::ExePath().empty());
    ResetSettings();
  }
  void TearDown() override { ResetSettings(); }

  void OpenPopups(Process& p, const std::string& titles) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "vt_e2e_cmd_ready");
    ResetEvent(ready);
    ASSERT_TRUE(p.Start(Quoted(Env("VT_EXE_VT_POPUPS")) +
                        " --quiet --exit-after 60 --ready-event vt_e2e_cmd_ready " + titles));
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    CloseHandle(ready);
  }
};

HWND VisiblePopupMenu() {
  HWND m = FindWindowA("#32768", nullptr);
  return m && IsWindowVisible(m) ? m : nullptr;
}

int ListIndex(HWND list, const char* text) {
  return static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text)));
}

void Select(const App& app, int listId, int index) {
  HWND list = app.Control(listId);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

TEST_F(CommandsTest, RightClickOpensEachListsMenuWhateverTheSelection) {
  App app;
  ASSERT_TRUE(app.Start());
  app.Tray(WM_LBUTTONDBLCLK);
  for (int id : {kIdcLstEnumWindows, kIdcList1}) {
    for (int sel : {-1, 0}) {
      HWND list = app.Control(id);
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(sel), 0);
      PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
      EXPECT_TRUE(WaitFor([] { return VisiblePopupMenu() != nullptr; }, seconds(3)))
          << "list " << id << " selection " << sel;
      SendMessageA(app.Main(), WM_CANCELMODE, 0, 0);
      PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
      EXPECT_TRUE(WaitFor([] { return VisiblePopupMenu() == nullptr; }, seconds(3)));
    }
  }
  // A left press is button code 1: no menu.
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_EQ(VisiblePopupMenu(), nullptr);
}

TEST_F(CommandsTest, SelectingAMinimizedWindowRestoresItAndCoversIt) {
  App app;
  ASSERT_TRUE(app.Start());
  Process popups;
  OpenPopups(popups, "\"Minimized pop-up\" \"Normal pop-up\"");
  HWND minimized = FindWindowA(nullptr, "Minimized pop-up");
  HWND normal = FindWindowA(nullptr, "Normal pop-up");
  ASSERT_TRUE(minimized && normal);
  ShowWindow(minimized, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(minimized) != FALSE; }, seconds(3)));
  app.Command(kIdmRefresh);

  HWND list = app.Control(kIdcLstEnumWindows);
  ASSERT_TRUE(WaitFor([&] { return ListIndex(list, "Minimized pop-up") >= 0; }, seconds(3)));
  Select(app, kIdcLstEnumWindows, ListIndex(list, "Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(minimized); }, seconds(3)));

  // The cover option is on by default: the cover lies exactly on the window.
  HWND cover = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        cover = FindWindowA("VelTarrowCover", nullptr);
        return cover && IsWindowVisible(cover);
      },
      seconds(3)));
  RECT target{}, covered{};
  GetWindowRect(minimized, &target);
  GetWindowRect(cover, &covered);
  EXPECT_TRUE(EqualRect(&target, &covered));
  EXPECT_TRUE(GetWindowLongA(app.Main(), GWL_EXSTYLE) & WS_EX_TOPMOST)
      << "the main window stays topmost after a placement";

  // A normal window keeps its state when selected.
  ShowWindow(normal, SW_MAXIMIZE);
  Select(app, kIdcLstEnumWindows, ListIndex(list, "Normal pop-up"));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(IsZoomed(normal));

  // With the option off, a selection only hides the cover.
  app.Command(kIdmCover);
  EXPECT_TRUE(WaitFor([] { return ReadValue(kSettingsKey, "Cover") == "False"; }, seconds(3)));
  EXPECT_TRUE(IsWindowVisible(cover)) << "toggling alone does not hide the cover";
  Select(app, kIdcLstEnumWindows, ListIndex(list, "Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cover); }, seconds(3)));
}

TEST_F(CommandsTest, StoredCoverOptionIsReadAsABoolean) {
  struct Row {
    const char* stored;
    bool coverShown;
    const char* why;
  } rows[] = {
      {"false", false, "any letter case"},
      {"0", false, "zero is false"},
      {"true", true, "any letter case"},
      {"7", true, "other numbers are true"},
      {"maybe", true, "no Boolean: the default, on"},
  };
  Process popups;
  OpenPopups(popups, "\"Cover target\"");
  for (const Row& r : rows) {
    WriteValue(kSettingsKey, "Cover", r.stored);
    App app;
    ASSERT_TRUE(app.Start());
    HWND list = app.Control(kIdcLstEnumWindows);
    Select(app, kIdcLstEnumWindows, ListIndex(list, "Cover target"));
    std::this_thread::sleep_for(milliseconds(400));
    HWND cover = FindWindowA("VelTarrowCover", nullptr);
    EXPECT_EQ(cover && IsWindowVisible(cover), r.coverShown) << r.stored << ": " << r.why;
  }
}

TEST_F(CommandsTest, TrayIconComesBackAfterTheShellLosesIt) {
  WriteValue(kSettingsKey, "Time", "1");
  const int iconsBefore = CountTrayIcons();
  App app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore + 1; }, seconds(5)));

  // What a shell restart does to the icon.
  NOTIFYICONDATAA nid{};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = app.Main();
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  ASSERT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore; }, seconds(3)));

  // Re-added on every 21st scan tick: within 21 s at one tick a second.
  EXPECT_TRUE(WaitFor([&] { return CountTrayIcons() == iconsBefore + 1; }, seconds(24)));
}

TEST_F(CommandsTest, RefreshKeepsACurrentListAndHelpWithoutAPageDoesNothing) {
  // A copy of the exe in a folder with no help page.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "vt_nohelp";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string copy = dir + "\\Vel-Tarrow.exe";
  ASSERT_TRUE(CopyFileA(App::ExePath().c_str(), copy.c_str(), FALSE));
  DeleteFileA((dir + "\\Vel-Tarrow-Help.htm").c_str());

  Process p;
  ASSERT_TRUE(p.Start(Quoted(copy)));
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        main = FindWindowA(kMainClass, "Vel-Tarrow");
        return main && SendMessageA(GetDlgItem(main, kIdcLstEnumWindows), LB_GETCOUNT, 0, 0) > 0;
      },
      seconds(20)));
  HWND list = GetDlgItem(main, kIdcLstEnumWindows);
  auto items = [&] {
    std::vector<std::string> out;
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      // Another process's list: read as UTF-16 (Wine fills LB_GETTEXT wide).
      wchar_t buf[300] = {};
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
      char a[600] = {};
      WideCharToMultiByte(CP_ACP, 0, buf, -1, a, sizeof a, nullptr, nullptr);
      out.push_back(a);
    }
    return out;
  };
  const auto before = items();
  PostMessageA(main, WM_COMMAND, kIdmRefresh, 0);
  PostMessageA(main, WM_COMMAND, kIdmHelpTopics, 0);
  std::this_thread::sleep_for(milliseconds(800));
  EXPECT_EQ(items(), before);
  EXPECT_TRUE(p.Running());
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr) << "no message box";

  PostMessageA(main, WM_COMMAND, kIdmExit, 0);
  EXPECT_TRUE(p.WaitExit(5000));
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace vt::e2e
