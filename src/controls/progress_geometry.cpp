#include "controls/progress_geometry.h"

#include <cmath>

namespace vt::progress {
namespace {

constexpr int kFrame = 3;       // the trough's frame, on every side
constexpr int kFirstBlock = 4;  // x of the first block
constexpr int kPitch = 10;      // blocks start every 10 pixels
constexpr int kStepPixels = 5;  // auto-run movement per tick

// Appends a copy; a copy with nothing to cover is left out.
void Add(Copies& out, Picture pic, Rect dst, Rect src) {
  if (dst.w <= 0 || dst.h <= 0 || src.w <= 0 || src.h <= 0) return;
  out.push_back({pic, dst, src});
}

Rect Whole(Size s) {
  return {0, 0, s.w, s.h};
}

// The part of the interior the fill reaches, 0 to W - 4. A value above the
// range (Max lowered without a new Value, or Min above 0) fills the trough and
// stops there rather than drawing over the frame; an empty range counts as full.
int FillWidth(const State& s, const Metrics& m) {
  const int room = m.W - 4;
  if (room <= 0 || s.m_Value <= 0) return 0;
  const double range = static_cast<double>(s.m_Max) - static_cast<double>(s.m_Min);
  const double fraction = range > 0 ? static_cast<double>(s.m_Value) / range : 1.0;
  if (fraction >= 1.0) return room;
  return static_cast<int>(std::floor(fraction * room));
}

}  // namespace

long ClampValue(const State& s, long v) {
  if (v > s.m_Max) v = s.m_Max;
  if (v < s.m_Min) v = s.m_Min;
  return v;
}

const char* CheckMin(const State& s, long v) {
  if (v > s.m_Max) return kMinAboveMax;
  if (v >= 0) return nullptr;
  return kMinBelowZero;
}

const char* CheckMax(const State& s, long v) {
  return v < s.m_Min ? kMaxBelowMin : nullptr;
}

bool TimerRuns(const State& s) {
  return s.m_Style == kStyleAutoRun && s.m_AutoRun;
}

LookEntries BankEntriesOfLook(long look) {
  const int l = static_cast<int>(look);
  return {{3 * l, 3 * l + 1, 3 * l + 2, 24 + l, 32 + l}};
}

Copies Layout(State& s, Metrics& m, const Pictures& p, int width, int height) {
  const int W = width, H = height, iw = p.img.w, ih = p.img.h, f = kFrame;
  Copies out;
  Add(out, Picture::kImg, {0, 0, f, f}, {0, 0, f, f});
  Add(out, Picture::kImg, {W - f, 0, f, f}, {iw - f, 0, f, f});
  Add(out, Picture::kImg, {W - f, H - f, f, f}, {iw - f, ih - f, f, f});
  Add(out, Picture::kImg, {0, H - f, f, f}, {0, ih - f, f, f});
  Add(out, Picture::kImg, {f, 0, W - 2 * f, f}, {f, 0, iw - 2 * f, f});
  Add(out, Picture::kImg, {f, H - f, W - 2 * f, f}, {f, ih - f, iw - 2 * f, f});
  Add(out, Picture::kImg, {0, f, f, H - 2 * f}, {0, f, f, f});
  Add(out, Picture::kImg, {W - f, f, f, H - 2 * f}, {iw - f, f, f, f});
  Add(out, Picture::kImg, {f, f, W - 2 * f, H - 2 * f}, {4, 4, iw - 8, ih - 6});
  s.m_Position = 4;
  m.W = W;
  m.H = H;
  m.BarHeight = H - 2 * f;
  m.PieceWidth = p.piece[2].w;
  m.PieceHeight = p.piece[2].h;
  return out;
}

Copies Fill(State& s, Metrics& m, const Pictures& p) {
  if (s.m_Style == kStyleAutoRun) {
    if (s.m_Max == s.m_Value) return Layout(s, m, p, m.W, m.H);
    return Frame(s, m, p);
  }
  Copies out;
  const int W = m.W, bar = m.BarHeight;
  const Rect block = Whole(p.piece[2]);
  int fill = FillWidth(s, m);
  int x = kFirstBlock;
  if (s.m_Style == kStyleSmooth) {
    if (fill < 4) fill = 4;
    Add(out, Picture::kPiece2, {3, 3, fill - 3, bar}, block);
    x = fill - 1;
  } else {
    for (; x <= fill; x += kPitch) {
      const int w = x > W - 12 ? (W - 4) - x : m.PieceWidth;  // the last one squeezed
      Add(out, Picture::kPiece2, {x, 3, w, bar}, block);
    }
  }
  if (fill < W - 4) {
    if (x > W - 4) x = W - 3;
    int w = (W - 4) - x;
    if (w < 0) x += w, w = -w;  // a copy from W - 3 back to W - 4: the last column
    Add(out, Picture::kBlank, {x, 3, w, bar}, Whole(p.blank));
  }
  return out;
}

Copies Tick(State& s, Metrics& m, const Pictures& p) {
  s.m_Position += s.m_Step * kStepPixels;
  if (s.m_Value > s.m_Max) return Layout(s, m, p, m.W, m.H);
  return Frame(s, m, p);
}

Copies Frame(State& s, const Metrics& m, const Pictures& p) {
  Copies out;
  const int W = m.W, bar = m.BarHeight;
  const int P = static_cast<short>(s.m_Position);
  if (P > 3 && P + 28 < W) {
    Add(out, Picture::kBlank, {3, 3, W - 5, bar}, Whole(p.blank));
    // The tail goes under the two blocks of the body, so they stay whole.
    if (s.m_Step == 1) {
      Add(out, Picture::kPiece3, {P, 3, kTailWidth, bar}, Whole(p.piece[3]));
    } else {
      Add(out, Picture::kPiece4, {P + 10, 3, kTailWidth, bar}, Whole(p.piece[4]));
    }
    Add(out, Picture::kPiece2, {P + 16, 3, m.PieceWidth, bar}, Whole(p.piece[2]));
    Add(out, Picture::kPiece2, {P, 3, m.PieceWidth, bar}, Whole(p.piece[2]));
  }
  if (P + 32 >= W && s.m_Step != -1) {
    s.m_Step = -1;
    s.m_Position += kStepPixels;
  }
  if (P <= 4 && s.m_Step != 1) {
    s.m_Step = 1;
    s.m_Position -= kStepPixels;
  }
  return out;
}

}  // namespace vt::progress
