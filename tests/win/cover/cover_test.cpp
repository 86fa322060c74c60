// The cover under Wine: the frame region on Wine's default 6.1, which has no
// name, and the layered cover in child copies of this exe run as XP and 2000.
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

struct Cover : ::testing::Test {
  ~Cover() override {
    for (HWND w : {main_, target_}) DestroyWindow(w);
  }
  void Place(HWND target, bool checked = true) {
    vt::RndMove(cover_, target, "Cover test target", checked, main_, [] {});
  }
  vt::frmCover cover_{LoadIcon(nullptr, IDI_APPLICATION)};
  HWND main_ = CreateWindowExA(0, "STATIC", "Cover test main", WS_POPUP | WS_VISIBLE, 600, 500, 200,
                               150, 0, 0, 0, 0);
  HWND target_ = CreateWindowExA(0, "STATIC", "Cover test target", WS_POPUP | WS_VISIBLE, 100, 120,
                                 300, 200, 0, 0, 0, 0);
};

// Runs here on Wine's default version, and in child copies that Wine runs as
// XP and 2000 (CoverLayered below), which leave a mark when all held.
TEST_F(Cover, LiesOnTheTargetLayeredOn2000AndXpElseAsAFrameAndHides) {
  const std::string name = Env("VT_COVER_NAME");
  const bool layered = !name.empty();
  auto topmost = [](HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_EQ(vt::GetWindowsVersionName(), name);
  Place(target_);
  EXPECT_TRUE(cover_.IsVisible() && OnTarget(cover_.hwnd(), target_));
  LOGBRUSH paint{};
  GetObjectA(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(cover_.hwnd(), GCLP_HBRBACKGROUND)),
             sizeof paint, &paint);
  EXPECT_EQ(paint.lbColor, RGB(255, 0, 0)) << "a red cover";
  EXPECT_TRUE(topmost(cover_.hwnd()) && topmost(main_)) << "the cover and the main window";
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_EQ(GetLayeredWindowAttributes(cover_.hwnd(), nullptr, &alpha, &flags) != 0, layered);
  EXPECT_TRUE(!layered || (alpha == 150 && flags == LWA_ALPHA)) << int{alpha} << " " << flags;
  // The 20-pixel frame is in, the rectangle it encloses is out, nothing beyond
  // the window; the layered cover has no region at all.
  const int points[][3] = {{0, 0, 1},     {19, 19, 1},   {20, 20, 0},   {150, 100, 0},
                           {279, 179, 0}, {280, 180, 1}, {299, 199, 1}, {300, 200, 0}};  // x, y, in
  for (auto [x, y, in] : points) EXPECT_EQ(InRegion(cover_.hwnd(), x, y), in && !layered) << x;

  SetWindowPos(main_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  Place(main_, /*checked=*/false);
  EXPECT_FALSE(cover_.IsVisible()) << "option off";
  EXPECT_TRUE(OnTarget(cover_.hwnd(), target_) && !topmost(main_)) << "option off: only hidden";
  Place(target_);
  SendMessageA(cover_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(cover_.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  EXPECT_FALSE(cover_.IsVisible()) << "click";
  Place(main_);  // 200 x 150: the frame follows the new size
  for (auto [x, y, in] : {std::tuple{199, 149, 1}, {179, 129, 0}, {200, 150, 0}})
    EXPECT_EQ(InRegion(cover_.hwnd(), x, y), in && !layered) << x;
  Place(target_);
  HWND gone = std::exchange(target_, nullptr);
  DestroyWindow(gone);
  Place(gone);  // the selected entry's window has closed since it was listed
  EXPECT_FALSE(cover_.IsVisible()) << "no cover over a window that is gone";
  if (layered && !HasFailure()) std::ofstream(TempPath(name + ".passed")) << "passed\n";
}

// Wine takes a program's version from AppDefaults\<exe name> at start. Each
// copy has its own name: a key left by a crash never changes this exe's runs.
TEST(CoverLayered, ChildCopiesPass) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  for (auto [wine, name] : {std::pair{"winxp", "Windows XP"}, {"win2k", "Windows 2000"}}) {
    const std::string exe = std::string("vt_cover_") + wine + ".exe", copy = TempPath(exe);
    const std::string mark = TempPath(name + std::string(".passed"));
    const std::string key = "Software\\Wine\\AppDefaults\\" + exe;
    DeleteFileA(mark.c_str());
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    WriteValue(key, "Version", wine);
    SetEnvironmentVariableA("VT_COVER_NAME", name);
    Process(Quoted(copy) + " --gtest_filter=Cover.LiesOnTheTarget*").WaitExit(60000);
    EXPECT_TRUE(std::ifstream(mark).good()) << name << ": the child failed or ran no test";
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    for (const std::string& f : {mark, copy}) DeleteFileA(f.c_str());
  }
}

}  // namespace
