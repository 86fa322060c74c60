// The README picture of the progress bar: the eight looks in the three
// styles at 100 %, and the smooth style at 200 %. Prints the window's
// rectangle as "rect X Y W H" and stays up until the file named by its
// argument exists (or a minute has passed), so the caller can take the picture.
//
//   progress_gallery [done-file]
#include <windows.h>

#include <cstdio>
#include <string>

#include "controls/xp_progress_bar.h"

namespace {

constexpr int kLabelWidth = 56, kGap = 12, kBarWidth = 160, kRowHeight = 38, kTop = 30;
constexpr int kBigWidth = 2 * kBarWidth;
const char* const kHeadings[] = {"Blocks (0)", "Auto-run (1)", "Smooth (2)", "Smooth at 200 %"};

HWND Label(HWND parent, const std::string& text, int x, int y, int w, int h) {
  HWND l = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, w, h,
                           parent, nullptr, nullptr, nullptr);
  SendMessageA(l, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return l;
}

vt::Xp_ProgressBar* Bar(HWND parent, int x, int y, int w, int h) {
  HWND b = CreateWindowExA(0, vt::kXpProgressBarClass, "", WS_CHILD | WS_VISIBLE, x, y, w, h,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  return vt::Xp_ProgressBar::FromWindow(b);
}

}  // namespace

int main(int argc, char** argv) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!vt::RegisterXpProgressBar(instance)) return 1;
  const int columnX[] = {kLabelWidth, kLabelWidth + kBarWidth + kGap,
                         kLabelWidth + 2 * (kBarWidth + kGap),
                         kLabelWidth + 3 * (kBarWidth + kGap)};
  const int width = columnX[3] + kBigWidth + kGap, height = kTop + 8 * kRowHeight + 4;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, 0);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "ProgressGallery";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Xp_ProgressBar looks",
                                WS_POPUP | WS_BORDER | WS_VISIBLE, 20, 20, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  for (int c = 0; c < 4; ++c) Label(window, kHeadings[c], columnX[c], 8, kBigWidth, 16);
  for (int look = 0; look < 8; ++look) {
    const int y = kTop + look * kRowHeight;
    Label(window, "Look " + std::to_string(look), 8, y + 10, kLabelWidth - 8, 16);
    for (int c = 0; c < 4; ++c) {
      const bool big = c == 3;
      vt::Xp_ProgressBar* bar =
          Bar(window, columnX[c], big ? y : y + 8, big ? kBigWidth : kBarWidth, big ? 32 : 16);
      bar->ProgressLook(look);
      bar->Style(c == 0 ? 0 : c == 1 ? 1 : 2);
      bar->Value(c == 1 ? 40 : 35 + 6 * look);
      // The auto-run group part-way along, at a different place on each row.
      for (int t = 0; t < 4 + 3 * look && c == 1; ++t) SendMessageA(bar->hwnd(), WM_TIMER, 1, 0);
    }
  }
  UpdateWindow(window);
  RECT r{};
  GetWindowRect(window, &r);
  std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
  for (int i = 0; i < 600; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (argc > 1 && GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(100);
  }
  DestroyWindow(window);
  return 0;
}
