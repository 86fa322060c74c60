// The cover under Wine. Wine reports 6.1 unless told otherwise: no name, so
// the frame region. The versions that get layering are tried in child copies
// of this exe (CoverVersions below).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cover/cover.h"
#include "cover/misc.h"
#include "handle.h"

namespace {

int g_activations = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) ++g_activations;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A visible titled pop-up, destroyed with the object.
struct TestWindow {
  TestWindow(const char* title, int x, int y, int w, int h) {
    static const ATOM cls = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = CountingProc;
      wc.lpszClassName = "VtCoverTestWindow";
      return RegisterClassA(&wc);
    }();
    hwnd = CreateWindowExA(0, MAKEINTATOM(cls), title, WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                           nullptr, nullptr, nullptr);
  }
  ~TestWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
};

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return EqualRect(&a, &b) != 0;
}

bool HasExStyle(HWND hwnd, LONG bits) {
  return (GetWindowLongA(hwnd, GWL_EXSTYLE) & bits) == bits;
}

// The cover's window region, or nullptr when it has none.
vt::UniqueHRgn CoverRegion(HWND cover) {
  vt::UniqueHRgn rgn(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(cover, rgn.get()) == ERROR) return {};
  return rgn;
}

// Live GDI objects of this process. Wine answers GetGuiResources with 0, so
// there the count is taken from the other side: the handle table has a fixed
// capacity, and what fresh regions can no longer take of it is in use.
long GdiObjectCount() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
  constexpr long kBound = 0x10000;  // no handle table is larger
  std::vector<HRGN> probes;
  probes.reserve(kBound);
  for (HRGN r; static_cast<long>(probes.size()) < kBound && (r = CreateRectRgn(0, 0, 1, 1));)
    probes.push_back(r);
  for (HRGN r : probes) DeleteObject(r);
  return kBound - static_cast<long>(probes.size());
}

class CoverTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vt::GetWindowsVersionName(), ""); }
  void Place(HWND target, bool checked = true) {
    vt::RndMove(cover_, target, "Cover test target", checked, main_.hwnd, [this] {
      ++repaints_;
      mainTopmostAtRepaint_ = HasExStyle(main_.hwnd, WS_EX_TOPMOST);
    });
  }
  HICON icon_ = LoadIcon(nullptr, IDI_APPLICATION);
  vt::frmCover cover_{icon_};
  TestWindow main_{"Cover test main", 600, 500, 200, 150};
  TestWindow target_{"Cover test target", 100, 120, 300, 200};
  int repaints_ = 0;
  bool mainTopmostAtRepaint_ = false;
};

TEST_F(CoverTest, LiesExactlyOnTheTargetAsATopmostFrame) {
  g_activations = 0;
  Place(target_.hwnd);
  HWND cover = cover_.hwnd();
  ASSERT_TRUE(cover_.IsVisible());
  EXPECT_TRUE(SameRect(WindowRect(cover), WindowRect(target_.hwnd)));
  EXPECT_TRUE(HasExStyle(cover, WS_EX_TOPMOST | WS_EX_TOOLWINDOW)) << "topmost, no taskbar button";
  EXPECT_FALSE(HasExStyle(cover, WS_EX_LAYERED));
  EXPECT_EQ(GetWindowLongA(cover, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_GT(g_activations, 0) << "the target is activated by its title";
  EXPECT_TRUE(HasExStyle(main_.hwnd, WS_EX_TOPMOST));
  EXPECT_EQ(repaints_, 1);
  EXPECT_TRUE(mainTopmostAtRepaint_) << "repaint runs after the main window is made topmost";

  vt::UniqueHRgn rgn = CoverRegion(cover);
  ASSERT_TRUE(rgn);
  RECT box{};
  EXPECT_EQ(GetRgnBox(rgn.get(), &box), COMPLEXREGION);
  EXPECT_TRUE(SameRect(box, RECT{0, 0, 300, 200})) << "the frame reaches the window's edges";
  const struct {
    int x, y;
    bool in;
    const char* why;
  } points[] = {
      {150, 100, false, "centre is cut away"},     {10, 10, true, "top-left of the frame"},
      {19, 19, true, "last frame pixel inside"},   {20, 20, false, "first pixel of the hole"},
      {279, 179, false, "last pixel of the hole"}, {280, 180, true, "frame again 20 from the edge"},
      {299, 199, true, "bottom-right corner"},     {150, 5, true, "top bar"},
  };
  for (const auto& p : points) EXPECT_EQ(PtInRegion(rgn.get(), p.x, p.y) != 0, p.in) << p.why;

  TestWindow other("Cover test other", 40, 30, 500, 90);
  Place(other.hwnd);
  EXPECT_TRUE(SameRect(WindowRect(cover), WindowRect(other.hwnd)));
  rgn = CoverRegion(cover);
  ASSERT_TRUE(rgn);
  GetRgnBox(rgn.get(), &box);
  EXPECT_TRUE(SameRect(box, RECT{0, 0, 500, 90})) << "a new size is shaped anew";
}

TEST_F(CoverTest, OptionOffOrTargetGoneOnlyHides) {
  Place(target_.hwnd);
  SetWindowPos(main_.hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  const RECT before = WindowRect(cover_.hwnd());
  TestWindow other("Cover test other", 40, 30, 500, 90);
  Place(other.hwnd, /*checked=*/false);
  EXPECT_FALSE(cover_.IsVisible());
  EXPECT_TRUE(SameRect(WindowRect(cover_.hwnd()), before)) << "not moved";
  EXPECT_FALSE(HasExStyle(main_.hwnd, WS_EX_TOPMOST));
  EXPECT_EQ(repaints_, 1) << "only the first placement repainted";

  Place(target_.hwnd);
  HWND stale = other.hwnd;  // as a list entry keeps it
  DestroyWindow(other.hwnd);
  Place(stale);
  EXPECT_FALSE(cover_.IsVisible());
}

TEST_F(CoverTest, ClickHidesAndTakesTheIcon) {
  Place(target_.hwnd);
  HWND cover = cover_.hwnd();
  // A release without a press on the cover, or a press released outside, is no click.
  SendMessageA(cover, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageA(cover, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(cover, WM_LBUTTONUP, 0, MAKELPARAM(310, 5));
  ASSERT_TRUE(cover_.IsVisible());

  SendMessageA(cover, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(cover, WM_LBUTTONUP, 0, MAKELPARAM(6, 5));
  EXPECT_FALSE(cover_.IsVisible());
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(cover, WM_GETICON, ICON_BIG, 0)), icon_);
}

TEST(GdiObjectCount, SeesALeak) {
  const long before = GdiObjectCount();
  std::vector<vt::UniqueHRgn> held;
  for (int i = 0; i < 10; ++i) held.emplace_back(CreateRectRgn(0, 0, 5, 5));
  EXPECT_EQ(GdiObjectCount() - before, 10);
  held.clear();
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(CoverTest, ThousandsOfPlacementsLeakNoGdiObjects) {
  Place(target_.hwnd);  // the window, its class brush and first region exist from here
  const long before = GdiObjectCount();
  // Alternating sizes so every move reshapes; hidden, as X makes a visible
  // resize four times slower and the regions are made the same way.
  DWORD start = GetTickCount();
  cover_.Hide();
  for (int i = 0; i < 1000; ++i) cover_.Move(100, 120, 300 + i % 2, 200);
  const DWORD moves = GetTickCount() - start;
  start = GetTickCount();
  for (int i = 0; i < 5; ++i) Place(i % 2 ? target_.hwnd : main_.hwnd);
  const DWORD placements = GetTickCount() - start;
  EXPECT_LE(GdiObjectCount() - before, 2);
  std::printf("1000 reshaping moves: %lu ms; full placement: %lu ms each\n",
              static_cast<unsigned long>(moves), static_cast<unsigned long>(placements / 5));
}

// ---- Versions that Wine can report, each in a child copy of this exe ----
// Wine reads a program's version from HKCU\Software\Wine\AppDefaults\<exe
// name> at process start. The copy has its own name, never ours: a key left
// behind by a crash must not change later runs of this exe.

std::string Env(const char* name) {
  char buf[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n < sizeof buf ? std::string(buf, n) : std::string();
}

// Runs only in the child, started with the filter below.
TEST(CoverChild, DISABLED_LaysTheCoverForTheReportedVersion) {
  const std::string mark = Env("VT_COVER_CHILD_MARK");
  ASSERT_FALSE(mark.empty());
  vt::UniqueKernelHandle(
      CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const bool layered = Env("VT_COVER_LAYERED") == "1";

  EXPECT_EQ(vt::GetWindowsVersionName(), Env("VT_COVER_NAME"));
  vt::frmCover cover(nullptr);
  TestWindow main("Cover child main", 600, 500, 200, 150);
  TestWindow target("Cover child target", 70, 80, 320, 240);
  vt::RndMove(cover, target.hwnd, "Cover child target", true, main.hwnd, [] {});
  HWND w = cover.hwnd();
  EXPECT_TRUE(SameRect(WindowRect(w), WindowRect(target.hwnd)));
  EXPECT_EQ(HasExStyle(w, WS_EX_LAYERED), layered);
  EXPECT_EQ(static_cast<bool>(CoverRegion(w)), !layered) << "exactly one of layering and region";
  if (!layered) {
    EXPECT_EQ(vt::MakeTransparent(w, 150), 3);
    return;
  }
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 150);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  // Alpha is a byte: both ends are taken, anything past them is refused.
  const struct { int alpha, code; } rows[] = {{0, 0}, {255, 0}, {256, 1}, {-1, 1}};
  for (const auto& r : rows) EXPECT_EQ(vt::MakeTransparent(w, r.alpha), r.code) << r.alpha;
  GetLayeredWindowAttributes(w, nullptr, &alpha, &flags);
  EXPECT_EQ(alpha, 255) << "a refused alpha leaves the last good one";
}

struct VersionCase {
  const char* wine;
  const char* name;
  bool layered;
  const char* why;
};

// Starts a copy of this exe under the given Wine version; returns its exit
// code, and in `ran` whether its test ran at all.
DWORD RunChild(const VersionCase& c, bool& ran) {
  char self[MAX_PATH] = {}, tmp[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  GetTempPathA(MAX_PATH, tmp);
  const std::string exeName = std::string("vt_cover_") + c.wine + ".exe";
  const std::string copy = tmp + exeName, mark = copy + ".ran";
  const std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
  DeleteFileA(mark.c_str());
  vt::UniqueHKey k;
  if (!CopyFileA(self, copy.c_str(), FALSE) ||
      RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      k.put(), nullptr) != ERROR_SUCCESS)
    return 1000;
  RegSetValueExA(k.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.wine),
                 static_cast<DWORD>(std::strlen(c.wine) + 1));
  k.reset();
  SetEnvironmentVariableA("VT_COVER_NAME", c.name);
  SetEnvironmentVariableA("VT_COVER_LAYERED", c.layered ? "1" : "0");
  SetEnvironmentVariableA("VT_COVER_CHILD_MARK", mark.c_str());

  std::string cmd = "\"" + copy + "\" --gtest_also_run_disabled_tests --gtest_filter=CoverChild.*";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  DWORD code = 1001;
  if (CreateProcessA(copy.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi)) {
    vt::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process.get(), &code);
    else
      TerminateProcess(process.get(), code = 1002);
  }
  ran = GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES;
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  DeleteFileA(mark.c_str());
  DeleteFileA(copy.c_str());
  return code;
}

TEST(CoverVersions, LayeredExactlyOn2000AndXp) {
  const VersionCase cases[] = {
      {"winxp", "Windows XP", true, "XP (5.1): layered at 150"},
      {"win2k", "Windows 2000", true, "2000 (5.0) is layered too"},
      {"winxp64", "Windows XP", true, "5.2 is still named XP"},
      {"vista", "", false, "6.0 has no name: the frame region"},
  };
  for (const VersionCase& c : cases) {
    bool ran = false;
    EXPECT_EQ(RunChild(c, ran), 0u) << c.wine << ": " << c.why;
    EXPECT_TRUE(ran) << c.wine << ": the child ran no test";
  }
}

}  // namespace
