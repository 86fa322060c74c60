// Cost of one Value change on a 300-pixel bar, paint included, against one
// copy of the whole control surface to the screen, measured in the same run.
//
//   progress_bench [rounds]
//
// Rows: the baseline copy; the smooth style with a Value that moves the bar
// every time; a download's Value per 1 KB chunk of a 20 MB file (most chunks
// move the bar by less than a pixel); the block style moving every time. Each
// Value row is measured alone (the control redraws its surface and marks the
// window for painting; Values that come faster than paints share one) and
// followed at once by the paint, which under Wine is mostly the system's.
// Columns: microseconds per operation (median of the rounds), and the ratio
// to the baseline.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "controls/xp_progress_bar.h"

namespace {

constexpr int kWidth = 300, kHeight = 16, kOps = 2000;

double Now() {
  static const double freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / freq;
}

// Microseconds per call of op, median over rounds of kOps calls.
double Measure(int rounds, const std::function<void(int)>& op) {
  std::vector<double> per;
  for (int r = 0; r < rounds; ++r) {
    const double start = Now();
    for (int i = 0; i < kOps; ++i) op(r * kOps + i);
    per.push_back((Now() - start) * 1e6 / kOps);
  }
  std::sort(per.begin(), per.end());
  return per[per.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!vt::RegisterXpProgressBar(instance)) return 1;
  HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, kWidth + 20, 40,
                              nullptr, nullptr, instance, nullptr);
  HWND hwnd = CreateWindowExA(0, vt::kXpProgressBarClass, "", WS_CHILD | WS_VISIBLE, 10, 10, kWidth,
                              kHeight, host, nullptr, instance, nullptr);
  vt::Xp_ProgressBar& bar = *vt::Xp_ProgressBar::FromWindow(hwnd);
  UpdateWindow(host);

  HDC screen = GetDC(hwnd);
  const double copy = Measure(rounds, [&](int) {
    BitBlt(screen, 0, 0, kWidth, kHeight, bar.Surface(), 0, 0, SRCCOPY);
    GdiFlush();
  });
  ReleaseDC(hwnd, screen);

  // The control's work for one Value: the surface redrawn and the change
  // handed to the system; and the same followed at once by its paint.
  auto set = [&](long value) {
    bar.Value(value);
    GdiFlush();
  };
  auto setAndPaint = [&](long value) {
    bar.Value(value);
    UpdateWindow(hwnd);
    GdiFlush();
  };
  // 1 to 296 and back down: every step moves the bar's end by one pixel.
  auto sweep = [](int i) {
    return static_cast<long>(1 + (i % 590 < 295 ? i % 590 : 590 - i % 590));
  };
  const long fileSize = 20L * 1024 * 1024, chunks = fileSize / 1024;
  auto chunk = [&](int i) { return (i % chunks) * 1024L; };
  const struct {
    const char* name;
    long style, max;
    bool download;
  } cases[] = {{"smooth, the bar moves 1 pixel each time", 2, kWidth - 4, false},
               {"smooth, per 1 KB chunk of a 20 MB file", 2, fileSize, true},
               {"blocks, the bar moves 1 pixel each time", 0, kWidth - 4, false}};

  std::printf("progress_bench: %d x %d bar, median of %d rounds of %d operations\n", kWidth,
              kHeight, rounds, kOps);
  std::printf("  %-52s %9.2f us  %6.2f x\n", "baseline: one copy of the whole surface", copy, 1.0);
  for (const auto& c : cases) {
    bar.ProgressLook(1), bar.Style(c.style), bar.Max(c.max), bar.Value(0);
    const double alone = Measure(rounds, [&](int i) { set(c.download ? chunk(i) : sweep(i)); });
    const double painted =
        Measure(rounds, [&](int i) { setAndPaint(c.download ? chunk(i) : sweep(i)); });
    std::printf("  Value, %-45s %9.2f us  %6.2f x\n", c.name, alone, alone / copy);
    std::printf("  Value, %-45s %9.2f us  %6.2f x\n", "  each followed by its paint", painted,
                painted / copy);
  }
  const double repaint = Measure(rounds, [&](int) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    GdiFlush();
  });
  std::printf("  %-52s %9.2f us  %6.2f x\n", "for scale: a whole repaint through the system",
              repaint, repaint / copy);
  DestroyWindow(host);
  return 0;
}
