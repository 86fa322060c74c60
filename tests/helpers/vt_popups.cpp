// vt_popups: opens top-level windows with given titles, for tests and
// benchmarks that need pop-ups owned by another process.
//
//   vt_popups [option | title]...
//
// Every title (ANSI, as given) opens one window. Options, for all the windows:
//   --ignore-close        the windows ignore WM_CLOSE
//   --hidden              the windows are created hidden (else shown, not activated)
//   --minimized           the windows are shown minimized
//   --hang                once the windows exist, the thread never reads a message again
//   --retitle-every MS    every MS milliseconds each window's title gets a new " (n)" ending
//   --titles-from FILE    a window per non-empty line of FILE as well
//   --log FILE            append "WM_CLOSE <index> <title>" per WM_CLOSE (index in opening order)
//   --ready-event NAME    set the caller's named event once every window exists
//   --exit-after SECONDS  end then, whatever is still open
//   --quiet               accepted and ignored
// Exit code 0 when all its windows are gone (or at --exit-after), 2 for a bad
// command line, 3 when a window cannot be created.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_titles;
std::vector<HWND> g_windows;
int g_retitles = 0;
std::string g_log;
bool g_ignoreClose = false;
int g_open = 0;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    // Opened and closed per line, so a reader never sees half a line.
    if (FILE* f = g_log.empty() ? nullptr : std::fopen(g_log.c_str(), "ab")) {
      const auto index = GetWindowLongPtrA(hwnd, GWLP_USERDATA);
      std::fprintf(f, "WM_CLOSE %d %s\n", static_cast<int>(index), g_titles[index].c_str());
      std::fclose(f);
    }
    if (!g_ignoreClose) DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_TIMER && hwnd == g_windows.front()) {  // --retitle-every
    const std::string ending = " (" + std::to_string(++g_retitles) + ")";
    for (std::size_t i = 0; i < g_windows.size(); ++i) {
      SetWindowTextA(g_windows[i], (g_titles[i] + ending).c_str());
    }
    return 0;
  }
  if (msg == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int Fail(int code, const std::string& why) {
  std::fprintf(stderr, "vt_popups: %s\n", why.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  bool hidden = false, minimized = false, hang = false;
  std::string readyEvent;
  double exitAfter = 0;
  int retitleMs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued =
        arg == "--log" || arg == "--ready-event" || arg == "--exit-after" ||
        arg == "--titles-from" || arg == "--retitle-every";
    if (valued && ++i == argc) return Fail(2, "missing value after " + arg);
    if (arg == "--ignore-close") {
      g_ignoreClose = true;
    } else if (arg == "--hidden") {
      hidden = true;
    } else if (arg == "--minimized") {
      minimized = true;
    } else if (arg == "--hang") {
      hang = true;
    } else if (arg == "--log") {
      g_log = argv[i];
    } else if (arg == "--ready-event") {
      readyEvent = argv[i];
    } else if (arg == "--retitle-every") {
      retitleMs = std::atoi(argv[i]);
    } else if (arg == "--exit-after") {
      exitAfter = std::atof(argv[i]);
    } else if (arg == "--titles-from") {
      std::ifstream in(argv[i], std::ios::binary);
      if (!in) return Fail(2, "cannot read " + std::string(argv[i]));
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) g_titles.push_back(line);
      }
    } else if (arg != "--quiet") {
      g_titles.push_back(arg);
    }
  }
  if (g_titles.empty()) return Fail(2, "no titles given");

  WNDCLASSA wc = {};
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "VtPopupWindow";
  RegisterClassA(&wc);
  for (std::size_t i = 0; i < g_titles.size(); ++i) {
    const int at = 40 + (i % 20) * 16;  // cascaded, so a screenshot shows them apart
    HWND h = CreateWindowExA(0, wc.lpszClassName, g_titles[i].c_str(), WS_OVERLAPPEDWINDOW, at, at,
                             320, 160, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return Fail(3, "cannot create window " + std::to_string(i));
    // Messages from other programs reach the window only in the loop below.
    SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(i));
    g_windows.push_back(h);
    ++g_open;
    if (!hidden) ShowWindow(h, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
  }
  if (HANDLE ev = readyEvent.empty() ? nullptr
                                     : OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str())) {
    SetEvent(ev);
    CloseHandle(ev);
  }
  if (hang) {  // a program stuck in a long computation: nothing it is sent is answered
    Sleep(exitAfter > 0 ? static_cast<DWORD>(exitAfter * 1000) : INFINITE);
    return 0;
  }
  if (retitleMs > 0) SetTimer(g_windows.front(), 1, static_cast<UINT>(retitleMs), nullptr);
  if (exitAfter > 0) SetTimer(nullptr, 0, static_cast<UINT>(exitAfter * 1000), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;  // --exit-after
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
