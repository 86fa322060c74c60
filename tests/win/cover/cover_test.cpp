// The cover: a frame region on Wine's default version, layered in copies run as XP and 2000.
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "cover/cover.h"
#include "cover/misc.h"
#include "handle.h"
#include "test_support.h"

namespace {

using namespace vt::test;

bool OnTarget(HWND cover, HWND target) {
  RECT a{}, b{};
  return GetWindowRect(cover, &a) && GetWindowRect(target, &b) && EqualRect(&a, &b);
}

// Whether (x, y) lies in the cover's window region; no region, nothing does.
bool InRegion(HWND cover, int x, int y) {
  vt::UniqueHRgn rgn(CreateRectRgn(0, 0, 0, 0));
  return GetWindowRgn(cover, rgn.get()) != ERROR && PtInRegion(rgn.get(), x, y);
}

TEST(Cover, LiesOnTheTargetLayeredOn2000AndXpElseAsAFrameAndHides) {
  vt::frmCover cover(LoadIcon(nullptr, IDI_APPLICATION));
  HWND mainWindow = CreateWindowExA(0, "STATIC", "Cover test main", WS_POPUP | WS_VISIBLE, 600, 500,
                                    200, 150, 0, 0, 0, 0);
  HWND target = CreateWindowExA(0, "STATIC", "Cover test target", WS_POPUP | WS_VISIBLE, 100, 120,
                                300, 200, 0, 0, 0, 0);
  auto place = [&](HWND w, bool checked = true) {
    vt::RndMove(cover, w, "Cover test target", checked, mainWindow, [] {});
  };
  const std::string name = Env("VT_COVER_NAME");
  const bool layered = !name.empty();
  auto topmost = [](HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_EQ(vt::GetWindowsVersionName(), name);
  place(target);
  EXPECT_TRUE(cover.IsVisible() && OnTarget(cover.hwnd(), target));
  LOGBRUSH paint{};
  GetObjectA(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(cover.hwnd(), GCLP_HBRBACKGROUND)),
             sizeof paint, &paint);
  EXPECT_EQ(paint.lbColor, RGB(255, 0, 0)) << "a red cover";
  EXPECT_TRUE(topmost(cover.hwnd()) && topmost(mainWindow)) << "the cover and the main window";
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_EQ(GetLayeredWindowAttributes(cover.hwnd(), nullptr, &alpha, &flags) != 0, layered);
  EXPECT_TRUE(!layered || (alpha == 150 && flags == LWA_ALPHA)) << int{alpha} << " " << flags;
  // In the region: the 20-pixel frame only; a layered cover has none.
  const int points[][3] = {{0, 0, 1},     {19, 19, 1},   {20, 20, 0},   {280, 100, 1},
                           {279, 179, 0}, {280, 180, 1}, {299, 199, 1}, {300, 200, 0}};  // x, y, in
  for (auto [x, y, in] : points) EXPECT_EQ(InRegion(cover.hwnd(), x, y), in && !layered) << x;

  SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  place(mainWindow, /*checked=*/false);
  EXPECT_FALSE(cover.IsVisible()) << "option off";
  EXPECT_TRUE(OnTarget(cover.hwnd(), target) && !topmost(mainWindow)) << "option off: only hidden";
  place(mainWindow);  // 200 x 150: the frame follows the new size
  for (auto [x, y, in] : {std::tuple{199, 149, 1}, {179, 129, 0}, {200, 150, 0}})
    EXPECT_EQ(InRegion(cover.hwnd(), x, y), in && !layered) << x;
  DestroyWindow(target);
  place(target);  // the selected entry's window has closed since it was listed
  EXPECT_FALSE(cover.IsVisible()) << "no cover over a window that is gone";
  place(mainWindow);
  SendMessageA(cover.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(cover.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  EXPECT_FALSE(cover.IsVisible()) << "click";
  if (layered) ExitProcess(HasFailure() ? 1 : 42);  // a child copy: the parent reads this
}

// Wine's AppDefaults\<exe name> sets each copy's version; exit code 42: all held.
TEST(CoverLayered, ChildCopiesPass) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  for (auto [wine, name] : {std::pair{"winxp", "Windows XP"}, {"win2k", "Windows 2000"}}) {
    const std::string exe = std::string("vt_cover_") + wine + ".exe", copy = TempPath(exe);
    const std::string key = "Software\\Wine\\AppDefaults\\" + exe;
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    WriteValue(key, "Version", wine);
    SetEnvironmentVariableA("VT_COVER_NAME", name);
    Process child(Quoted(copy) + " --gtest_filter=Cover.LiesOnTheTarget*");
    EXPECT_TRUE(child.WaitExit(60000) && child.ExitCode() == 42) << name << ": failed or no test";
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    child.Kill();
    DeleteFileA(copy.c_str());
  }
}

}  // namespace
