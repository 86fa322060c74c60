// The progress bar in a real window: the pixels it shows, its timer, its
// messages and its saved properties.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/controls_res.h"
#include "controls/xp_progress_bar.h"
#include "dialog_watcher.h"
#include "test_support.h"

namespace {

using namespace vt::test;
using vt::Xp_ProgressBar;

// Pixels of a DC, row by row.
struct Pixels {
  Pixels() = default;
  Pixels(HDC dc, int width, int height) : w(width), h(height) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px.push_back(GetPixel(dc, x, y));
  }
  COLORREF At(int x, int y) const { return px.at(static_cast<std::size_t>(y * w + x)); }
  int w = 0, h = 0;
  std::vector<COLORREF> px;
};

// A skin picture as the exe carries it.
struct Skin : Pixels {
  explicit Skin(int id) {
    HBITMAP b = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    static_cast<Pixels&>(*this) = Pixels(dc, bm.bmWidth, bm.bmHeight);
    SelectObject(dc, old), DeleteDC(dc), DeleteObject(b);
  }
};

// What a window shows on screen once it has painted.
struct Shot : Pixels {
  explicit Shot(HWND hwnd) {
    UpdateWindow(hwnd);
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HDC dc = GetDC(hwnd);
    static_cast<Pixels&>(*this) = Pixels(dc, rc.right, rc.bottom);
    ReleaseDC(hwnd, dc);
  }
};

const Skin& Img() {
  static const Skin s(IDB_XPPB_IMG);
  return s;
}
const Skin& Bank(int n) {
  static std::vector<Skin> bank = [] {
    std::vector<Skin> v;
    for (int i = 0; i < 40; ++i) v.emplace_back(IDB_XPPB_BANK + i);
    return v;
  }();
  return bank.at(static_cast<std::size_t>(n));
}

// Bar interior row r (0 to 9) of a 16-pixel-high bar; the block piece is 10
// high, so its rows land unstretched.
constexpr int kRow = 3;

struct ProgressBar : ::testing::Test {
  ProgressBar() {
    EXPECT_TRUE(vt::RegisterXpProgressBar(GetModuleHandleA(nullptr)));
    host = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "Vel-Tarrow bar host", WS_POPUP | WS_VISIBLE,
                           40, 40, 320, 60, nullptr, nullptr, nullptr, nullptr);
    hwnd = CreateWindowExA(0, vt::kXpProgressBarClass, "", WS_CHILD | WS_VISIBLE, 8, 8, 204, 16,
                           host, nullptr, GetModuleHandleA(nullptr), nullptr);
    bar = Xp_ProgressBar::FromWindow(hwnd);
  }
  ~ProgressBar() override { DestroyWindow(host); }
  // Whether column x shows the block piece of bank entry n in every bar row.
  bool BlockAt(const Shot& s, int x, int n = 2, int column = 0) const {
    for (int r = 0; r < 10; ++r)
      if (s.At(x, kRow + r) != Bank(n).At(column, r)) return false;
    return true;
  }
  // Whether column x shows the empty interior, as a fresh trough has it.
  bool EmptyAt(const Shot& s, int x) const {
    for (int r = 0; r < 10; ++r)
      if (s.At(x, kRow + r) != empty.at(static_cast<std::size_t>(r))) return false;
    return true;
  }
  // The interior column of a trough just laid out (a resize draws no fill).
  void LearnEmpty() {
    SetWindowPos(hwnd, nullptr, 0, 0, 205, 16, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(hwnd, nullptr, 0, 0, 204, 16, SWP_NOMOVE | SWP_NOZORDER);
    const Shot s(hwnd);
    empty.clear();
    for (int r = 0; r < 10; ++r) empty.push_back(s.At(100, kRow + r));
  }
  HWND host = nullptr, hwnd = nullptr;
  Xp_ProgressBar* bar = nullptr;
  std::vector<COLORREF> empty;
};

TEST_F(ProgressBar, DrawsTheTroughTheBlocksAndTheEraseWhereTheCopiesSay) {
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Xp_ProgressBar::FromWindow(host), nullptr) << "another class";
  const Shot full(hwnd);  // a new bar is full: Fill 200, the block at 194 squeezed to 6
  for (int x : {4, 11, 184, 194, 199}) EXPECT_TRUE(BlockAt(full, x)) << x;
  // The frame: corners as drawn, edges stretched from the picture's strips.
  const int probes[][4] = {{0, 0, 0, 0},    {2, 2, 2, 2}, {201, 2, 56, 2}, {203, 15, 58, 12},
                           {100, 1, 30, 1}, {0, 8, 0, 4}, {203, 8, 58, 4}, {100, 14, 30, 11}};
  for (auto [x, y, ix, iy] : probes) EXPECT_EQ(full.At(x, y), Img().At(ix, iy)) << x << "," << y;

  LearnEmpty();
  bar->Value(100);
  bar->Value(50);  // Fill 100: blocks at 4 ... 94; the old ones from 104 on erased
  const Shot s(hwnd);
  const struct {
    int x;
    bool block;
    const char* why;
  } rows[] = {{3, false, "blocks start at 4"},
              {4, true, "first block"},
              {11, true, "8 wide"},
              {12, false, "gap of the pitch"},
              {94, true, "last block at 94"},
              {101, true, "it ends at 101, past Fill"},
              {104, false, "erased from 104"},
              {199, false, "erased up to W - 5"}};
  for (auto& r : rows) {
    EXPECT_EQ(BlockAt(s, r.x), r.block) << r.x << ": " << r.why;
    EXPECT_EQ(EmptyAt(s, r.x), !r.block) << r.x << ": " << r.why;
  }
  bar->Value(0);
  const Shot zero(hwnd);
  for (int x : {4, 50, 199}) EXPECT_TRUE(EmptyAt(zero, x)) << "Value 0 erases all, " << x;
}

TEST_F(ProgressBar, SmoothBarLooksAndResize) {
  LearnEmpty();
  bar->Style(2);
  bar->Value(50);  // Fill 100: the bar from 3, then the erase from 99
  Shot s(hwnd);
  for (int x : {3, 50, 98}) EXPECT_TRUE(BlockAt(s, x)) << x;
  for (int x : {99, 150}) EXPECT_TRUE(EmptyAt(s, x)) << x;
  bar->Style(0);  // a fresh trough under the blocks, not the smooth bar's remains
  EXPECT_TRUE(EmptyAt(Shot(hwnd), 12) && BlockAt(Shot(hwnd), 4));
  bar->Style(2);
  bar->ProgressLook(3);
  EXPECT_EQ(Shot(hwnd).px, s.px) << "a look change does not redraw";
  bar->Value(51);
  s = Shot(hwnd);
  EXPECT_TRUE(BlockAt(s, 50, 3 * 3 + 2)) << "look 3's block after the next Value";
  bar->ProgressLook(8);  // outside the bank: stored, the pictures stay
  bar->Value(52);
  EXPECT_TRUE(BlockAt(Shot(hwnd), 50, 3 * 3 + 2));
  EXPECT_EQ(bar->ProgressLook(), 8);
  // A resize lays out an empty trough of the new size and restarts the group.
  SetWindowPos(hwnd, nullptr, 0, 0, 300, 20, SWP_NOMOVE | SWP_NOZORDER);
  s = Shot(hwnd);
  EXPECT_TRUE(s.w == 300 && bar->metrics().W == 300 && bar->metrics().BarHeight == 14);
  EXPECT_EQ(s.At(299, 19), Img().At(58, 12));
  EXPECT_EQ(s.At(50, 10), s.At(250, 10)) << "no fill after a plain resize";
  EXPECT_EQ(bar->state().m_Position, 4);
}

TEST_F(ProgressBar, RepaintsFromItsSurfaceWhenUncovered) {
  bar->Value(37);
  const Shot before(hwnd);
  // What a window over it would leave behind, then the uncovering.
  HDC dc = GetDC(hwnd);
  const RECT all{0, 0, 204, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  ASSERT_NE(Shot(hwnd).px, before.px);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_EQ(Shot(hwnd).px, before.px);
}

TEST_F(ProgressBar, ValueIsClampedAndMinMaxRefusalsShowTheirMessage) {
  using Set = void (*)(Xp_ProgressBar&);
  const struct {
    const char* what;
    Set set;
    long min, max, value;
    const char* message;  // nullptr: no box
  } rows[] = {
      {"Value above Max", [](Xp_ProgressBar& b) { b.Value(150); }, 0, 100, 100, nullptr},
      {"Value below Min", [](Xp_ProgressBar& b) { b.Value(-5); }, 0, 100, 0, nullptr},
      {"Min above Max", [](Xp_ProgressBar& b) { b.Min(120); }, 0, 100, 100,
       "Minimum can NOT be biger than maximum !"},
      {"Min equal to Max", [](Xp_ProgressBar& b) { b.Min(100); }, 100, 100, 100, nullptr},
      {"Min below 0", [](Xp_ProgressBar& b) { b.Min(-1); }, 0, 100, 100,
       "Minimum can NOT be smaller then 0 !"},
      {"Max below Min", [](Xp_ProgressBar& b) { b.Min(10), b.Max(5); }, 10, 100, 100,
       "Maximum can NOT be smaller than minimum !"},
      {"Max equal to Min", [](Xp_ProgressBar& b) { b.Min(10), b.Max(10); }, 10, 10, 100, nullptr},
      {"lower Max keeps Value", [](Xp_ProgressBar& b) { b.Max(60); }, 0, 60, 100, nullptr},
      {"the next Value is clamped", [](Xp_ProgressBar& b) { b.Max(60), b.Value(80); }, 0, 60, 60,
       nullptr},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.what);
    HWND w = CreateWindowExA(0, vt::kXpProgressBarClass, "", WS_CHILD, 0, 0, 100, 16, host, nullptr,
                             nullptr, nullptr);
    Xp_ProgressBar& b = *Xp_ProgressBar::FromWindow(w);
    DialogWatcher box("Error", {}, IDOK, 10000);  // stopped as soon as the setter returns
    r.set(b);
    box.Stop();
    EXPECT_EQ(box.found, r.message != nullptr);
    if (r.message && box.found) {
      EXPECT_EQ(box.text, r.message);
      EXPECT_EQ(box.shownIcon, LoadIcon(nullptr, IDI_HAND)) << "the critical icon";
      EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    }
    EXPECT_TRUE(b.Min() == r.min && b.Max() == r.max && b.Value() == r.value)
        << b.Min() << " " << b.Max() << " " << b.Value();
    DestroyWindow(w);
  }
}

TEST_F(ProgressBar, Timer1RunsExactlyInStyle1WithAutoRun) {
  using Set = void (*)(Xp_ProgressBar&);
  const struct {
    const char* what;
    Set set;
    bool runs;
  } rows[] = {
      {"AutoRun in style 0", [](Xp_ProgressBar& b) { b.AutoRun(true); }, false},
      {"AutoRun in style 2", [](Xp_ProgressBar& b) { b.Style(2), b.AutoRun(true); }, false},
      {"style 1 without AutoRun", [](Xp_ProgressBar& b) { b.Style(1); }, false},
      {"AutoRun, then style 1", [](Xp_ProgressBar& b) { b.AutoRun(true), b.Style(1); }, true},
      {"style 1, then AutoRun", [](Xp_ProgressBar& b) { b.Style(1), b.AutoRun(true); }, true},
      {"then style 2", [](Xp_ProgressBar& b) { b.Style(1), b.AutoRun(true), b.Style(2); }, false},
      {"then AutoRun off", [](Xp_ProgressBar& b) { b.Style(1), b.AutoRun(true), b.AutoRun(false); },
       false},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.what);
    bar->Style(0), bar->AutoRun(false), bar->Value(40), bar->Interval(30000);
    r.set(*bar);
    EXPECT_EQ(bar->Timer1Enabled(), r.runs);
    bar->Interval(20);  // a running timer takes the new pace at once
    // A running timer moves the group; a stopped one leaves it where it is.
    const long start = bar->state().m_Position;
    const bool moved = WaitFor([&] { return bar->state().m_Position != start; },
                               std::chrono::milliseconds(r.runs ? 5000 : 400));
    EXPECT_EQ(moved, r.runs);
  }
}

TEST_F(ProgressBar, AutoRunFramesShowTheGroupOverAnEmptyTrough) {
  bar->Value(40);
  bar->Style(1);  // the timer stays off: ticks come by hand
  const Shot start(hwnd);
  EXPECT_TRUE(BlockAt(start, 4) && BlockAt(start, 20) && !BlockAt(start, 60)) << "P = 4";
  for (int i = 0; i < 10; ++i) SendMessageA(hwnd, WM_TIMER, 1, 0);
  // P = 54, moving right: blocks at 54 and 70, the tail under them.
  const Shot s(hwnd);
  EXPECT_TRUE(BlockAt(s, 54) && BlockAt(s, 61) && BlockAt(s, 70)) << "the body";
  EXPECT_FALSE(BlockAt(s, 4)) << "the interior was erased";
  EXPECT_EQ(s.At(83, 8), Bank(24).At(7, 5)) << "the tail's bright end at P + 29";
  bar->Value(100);  // Value = Max: the trough again, group at the left end
  EXPECT_TRUE(bar->state().m_Position == 4 && !BlockAt(Shot(hwnd), 54));
}

TEST_F(ProgressBar, SavedPropertiesReadInOrderAndWrittenWithTheirDefaults) {
  bar->Value(40), bar->Style(1);
  for (int i = 0; i < 40; ++i) SendMessageA(hwnd, WM_TIMER, 1, 0);
  ASSERT_EQ(bar->state().m_Step, -1) << "on its way back";
  vt::TextPropertyBag in(
      "Min=5\r\nMax=50\r\nValue=250\nAuto=True\nInterval=40\nStyle=1\n"
      "ProgressLook=6\n");
  bar->SetPropertyBag(&in);
  bar->ReadProperties(in);
  const auto& s = bar->state();
  EXPECT_TRUE(s.m_Min == 5 && s.m_Max == 50 && s.m_Value == 250) << "stored as read, unclamped";
  EXPECT_TRUE(s.m_AutoRun && s.m_Style == 1 && s.m_Interval == 40 && s.m_ProgressLook == 6);
  EXPECT_FALSE(bar->Timer1Enabled()) << "reading Style leaves the timer alone";
  EXPECT_EQ(s.m_Step, 1);
  EXPECT_EQ(in.TakeChanged(), "ProgressLook") << "the look goes through its setter";
  bar->Style(2), bar->Value(10);
  EXPECT_TRUE(BlockAt(Shot(hwnd), 20, 6 * 3 + 2)) << "look 6's pieces were loaded";
  {
    DialogWatcher box("Error");
    bar->Min(-3);  // refused: no change reported
  }
  bar->Max(70), bar->AutoRun(false), bar->Interval(30), bar->Interval(-5), bar->Min(0);
  EXPECT_EQ(in.TakeChanged(), "Style,Value,Max,Auto,Interval,Min");
  vt::TextPropertyBag out;
  bar->WriteProperties(out);
  EXPECT_EQ(out.Text(), "Interval=30\r\nMax=70\r\nProgressLook=6\r\nStyle=2\r\nValue=10\r\n");
  vt::TextPropertyBag none;
  bar->ReadProperties(none);
  EXPECT_TRUE(s.m_Min == 0 && s.m_Max == 100 && s.m_Value == 100 && s.m_Interval == 100 &&
              s.m_ProgressLook == 0 && s.m_Style == 0 && !s.m_AutoRun)
      << "defaults of an empty bag";
}

}  // namespace
