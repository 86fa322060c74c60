// The progress bar in a real window: pixels, timer, messages, saved properties.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/controls_res.h"
#include "controls/xp_progress_bar.h"
#include "dialog_watcher.h"
#include "test_support.h"

namespace {

using namespace vt::test;
using vt::Xp_ProgressBar;

struct Pixels {
  Pixels(HDC dc, int width, int height) : w(width) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < w; ++x) px.push_back(GetPixel(dc, x, y));
  }
  COLORREF At(int x, int y) const { return px.at(static_cast<std::size_t>(y * w + x)); }
  int w;
  std::vector<COLORREF> px;
};

Pixels Skin(int id) {
  HBITMAP b = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
  BITMAP bm{};
  GetObjectA(b, sizeof bm, &bm);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  Pixels p(dc, bm.bmWidth, bm.bmHeight);
  SelectObject(dc, old), DeleteDC(dc), DeleteObject(b);
  return p;
}

Pixels Shot(HWND hwnd) {
  UpdateWindow(hwnd);
  RECT rc{};
  GetClientRect(hwnd, &rc);
  HDC dc = GetDC(hwnd);
  Pixels p(dc, rc.right, rc.bottom);
  ReleaseDC(hwnd, dc);
  return p;
}

// Column x of a 16-pixel bar's ten inner rows, where a piece lands unstretched.
std::vector<COLORREF> Column(const Pixels& p, int x, int top = 3) {
  std::vector<COLORREF> c;
  for (int r = 0; r < 10; ++r) c.push_back(p.At(x, top + r));
  return c;
}

// Whether column x shows column 0 of bank entry n.
bool BlockAt(const Pixels& s, int x, int n = 2) {
  return Column(s, x) == Column(Skin(IDB_XPPB_BANK + n), 0, 0);
}

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
  HWND host = nullptr, hwnd = nullptr;
  Xp_ProgressBar* bar = nullptr;
};

TEST_F(ProgressBar, DrawsTroughBlocksSmoothBarAndLooksAndRepaints) {
  const Pixels full = Shot(hwnd);  // a new bar is full: Fill 200, the block at 194 squeezed to 6
  for (int x : {4, 11, 184, 194, 199}) EXPECT_TRUE(BlockAt(full, x)) << x;
  // The frame: corners as drawn, edges stretched from the picture's strips.
  const Pixels img = Skin(IDB_XPPB_IMG);
  const int probes[][4] = {{0, 0, 0, 0},    {2, 2, 2, 2}, {201, 2, 56, 2}, {203, 15, 58, 12},
                           {100, 1, 30, 1}, {0, 8, 0, 4}, {203, 8, 58, 4}, {100, 14, 30, 11}};
  for (auto [x, y, ix, iy] : probes) EXPECT_EQ(full.At(x, y), img.At(ix, iy)) << x << "," << y;

  // A resize lays out an empty trough and draws no fill: its interior column.
  SetWindowPos(hwnd, nullptr, 0, 0, 205, 16, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(hwnd, nullptr, 0, 0, 204, 16, SWP_NOMOVE | SWP_NOZORDER);
  const auto empty = Column(Shot(hwnd), 100);
  auto EmptyAt = [&empty](const Pixels& s, int x) { return Column(s, x) == empty; };
  bar->Value(100);
  EXPECT_EQ(Shot(hwnd).px, full.px) << "after a resize the same Value draws again";
  bar->Value(50);  // Fill 100: blocks at 4 ... 94 (the last ends at 101), erased from 104 on
  const Pixels half = Shot(hwnd);
  // What a window over it would leave behind, then the uncovering.
  HDC dc = GetDC(hwnd);
  const RECT all{0, 0, 204, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  ASSERT_NE(Shot(hwnd).px, half.px);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_EQ(Shot(hwnd).px, half.px) << "repainted from its surface";

  bar->Style(2);  // the smooth bar from 3 to Fill, then the erase from 99
  const Pixels s = Shot(hwnd);
  EXPECT_TRUE(BlockAt(s, 3) && BlockAt(s, 98) && EmptyAt(s, 99) && EmptyAt(s, 150));
  bar->Style(0);  // a fresh trough under the blocks, not the smooth bar's remains
  EXPECT_TRUE(EmptyAt(Shot(hwnd), 12) && BlockAt(Shot(hwnd), 4));
  bar->Style(2);
  bar->ProgressLook(3);
  bar->Value(50);
  EXPECT_TRUE(BlockAt(Shot(hwnd), 50, 3 * 3 + 2)) << "look 3's block at the next Value, the same";
  bar->ProgressLook(8);  // outside the bank: stored, the pictures stay
  bar->Value(52);
  EXPECT_TRUE(BlockAt(Shot(hwnd), 50, 3 * 3 + 2) && bar->ProgressLook() == 8);
}

TEST_F(ProgressBar, ValueIsClampedAndMinMaxRefusalsShowTheirMessage) {
  const struct {
    char set;  // 'V' Value, 'm' Min, 'M' Max; each step starts where the last ended
    long to, min, max, value;
    const char* message;  // nullptr: no box
  } steps[] = {
      {'V', 150, 0, 100, 100, nullptr},  // above Max: Max
      {'M', 60, 0, 60, 100, nullptr},    // a lower Max keeps Value
      {'V', 80, 0, 60, 60, nullptr},     // until the next Value
      {'V', -5, 0, 60, 0, nullptr},      // below Min: Min
      {'m', 120, 0, 60, 0, "Minimum can NOT be biger than maximum !"},
      {'m', -1, 0, 60, 0, "Minimum can NOT be smaller then 0 !"},
      {'m', 0, 0, 60, 0, nullptr},    // 0 itself is allowed
      {'m', 60, 60, 60, 0, nullptr},  // Min equal to Max, and Value is not clamped
      {'M', 59, 60, 60, 0, "Maximum can NOT be smaller than minimum !"},
      {'M', 60, 60, 60, 0, nullptr},  // Max equal to Min
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(1, s.set) + " = " + std::to_string(s.to));
    DialogWatcher box("Error", {}, IDOK, 10000);  // stopped as soon as the setter returns
    s.set == 'V' ? bar->Value(s.to) : s.set == 'm' ? bar->Min(s.to) : bar->Max(s.to);
    box.Stop();
    EXPECT_EQ(box.found ? box.text : "-", s.message ? s.message : "-");
    if (s.message && box.found) {
      EXPECT_EQ(box.shownIcon, LoadIcon(nullptr, IDI_HAND)) << "the critical icon";
      EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    }
    EXPECT_TRUE(bar->Min() == s.min && bar->Max() == s.max && bar->Value() == s.value)
        << bar->Min() << " " << bar->Max() << " " << bar->Value();
  }
}

TEST_F(ProgressBar, Timer1RunsExactlyInStyle1WithAutoRun) {
  const struct {
    char set;  // 'S' Style, 'A' AutoRun; each step starts where the last ended
    long to;
    bool runs;
  } steps[] = {{'A', 1, false}, {'S', 2, false}, {'S', 1, true},  {'A', 0, false},
               {'A', 1, true},  {'S', 2, false}, {'A', 0, false}, {'S', 1, false}};
  bar->Value(40);
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(1, s.set) + " = " + std::to_string(s.to));
    bar->Interval(30000);
    s.set == 'S' ? bar->Style(s.to) : bar->AutoRun(s.to != 0);
    bar->Interval(20);  // a running timer takes the new pace at once
    // A running timer moves the group; a stopped one leaves it where it is.
    const long start = bar->state().m_Position;
    const bool moved = WaitFor([&] { return bar->state().m_Position != start; },
                               std::chrono::milliseconds(s.runs ? 5000 : 400));
    EXPECT_EQ(moved, s.runs);
  }
}

TEST_F(ProgressBar, AutoRunFramesThenSavedPropertiesReadAndWritten) {
  bar->Value(40), bar->Style(1);  // the timer stays off: ticks come by hand
  for (int i = 0; i < 10; ++i) SendMessageA(hwnd, WM_TIMER, 1, 0);
  // P = 54, moving right: blocks at 54 and 70, the tail under them.
  const Pixels frame = Shot(hwnd);
  EXPECT_TRUE(BlockAt(frame, 54) && BlockAt(frame, 61) && BlockAt(frame, 70) && !BlockAt(frame, 4));
  EXPECT_EQ(frame.At(83, 8), Skin(IDB_XPPB_BANK + 24).At(7, 5)) << "the tail's bright end";
  bar->Value(100);  // Value = Max: the trough again, group at the left end
  EXPECT_TRUE(bar->state().m_Position == 4 && !BlockAt(Shot(hwnd), 54));
  // To the turn and back at every step phase: tails past the interior leave the frame whole.
  for (int w : {204, 205, 206, 207, 208}) {
    SetWindowPos(hwnd, nullptr, 0, 0, w, 16, SWP_NOMOVE | SWP_NOZORDER);
    const Pixels trough = Shot(hwnd);  // a resize lays out the empty trough
    EXPECT_EQ(trough.At(w - 1, 15), Skin(IDB_XPPB_IMG).At(58, 12)) << "the surface grew";
    bool reached = false;
    for (int tick = 1; tick <= 40; ++tick) {
      SendMessageA(hwnd, WM_TIMER, 1, 0);
      const Pixels p = Shot(hwnd);
      for (int x = w - 3; x < w; ++x)
        ASSERT_EQ(Column(p, x), Column(trough, x)) << w << " " << tick;
      reached = reached || Column(p, w - 4) != Column(trough, w - 4);
    }
    EXPECT_TRUE(reached) << w << ": the tail still reaches the last inner column";
  }
  ASSERT_EQ(bar->state().m_Step, -1) << "on its way back";
  vt::TextPropertyBag in(
      "Min=5\r\nMax=50\r\nValue=250\nAuto=True\nInterval=40\nStyle=1\n"
      "ProgressLook=6\n");
  bar->ReadProperties(in);
  const auto& s = bar->state();
  EXPECT_TRUE(s.m_Min == 5 && s.m_Max == 50 && s.m_Value == 250) << "stored as read, unclamped";
  EXPECT_TRUE(s.m_AutoRun && s.m_Style == 1 && s.m_Interval == 40 && s.m_ProgressLook == 6);
  EXPECT_FALSE(bar->Timer1Enabled()) << "reading Style leaves the timer alone";
  EXPECT_EQ(s.m_Step, 1);
  bar->SetPropertyBag(&in);
  bar->Style(2), bar->Value(10);
  EXPECT_TRUE(BlockAt(Shot(hwnd), 20, 6 * 3 + 2)) << "look 6's pieces were loaded";
  bar->Max(70), bar->AutoRun(true), bar->Interval(30), bar->Interval(-5), bar->Min(1),
      bar->Value(0);
  EXPECT_EQ(in.TakeChanged(), "Style,Value,Max,Auto,Interval,Min,Value");
  vt::TextPropertyBag out;
  bar->WriteProperties(out);
  EXPECT_EQ(out.Text(),
            "Auto=True\r\nInterval=30\r\nMax=70\r\nMin=1\r\nProgressLook=6\r\n"
            "Style=2\r\nValue=1\r\n");
  vt::TextPropertyBag none;
  bar->ReadProperties(none);
  EXPECT_TRUE(s.m_Min == 0 && s.m_Max == 100 && s.m_Value == 100 && s.m_Interval == 100 &&
              s.m_ProgressLook == 0 && s.m_Style == 0 && !s.m_AutoRun)
      << "defaults of an empty bag";
}

}  // namespace
