// vt_popups [option | title]...: one top-level window per title (ANSI), owned
// by a process other than the test's. Options, for all the windows:
//   --ignore-close, --hidden, --minimized, --hang (never reads a message again),
//   --retitle-every MS (titles get a new " (n)" ending), --titles-from FILE (a
//   window per non-empty line), --log FILE ("WM_CLOSE <index> <title>" lines),
//   --ready-event NAME (set once all exist), --exit-after SECONDS; other "--"
//   words are ignored. Exit code 2 for a bad command line, 3 when a window
//   cannot be created, else 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
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
    for (std::size_t i = 0; i < g_windows.size(); ++i)
      SetWindowTextA(g_windows[i], (g_titles[i] + ending).c_str());
    return 0;
  }
  if (msg == WM_DESTROY && --g_open == 0) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> opt;  // the options given, with their values
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued = arg == "--log" || arg == "--ready-event" || arg == "--exit-after" ||
                        arg == "--titles-from" || arg == "--retitle-every";
    if (valued && ++i == argc) return 2;  // no value after the option
    if (arg.rfind("--", 0) != 0)
      g_titles.push_back(arg);
    else
      opt[arg] = valued ? argv[i] : "";
    if (arg != "--titles-from") continue;
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) return 2;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) g_titles.push_back(line);
    }
  }
  g_log = opt["--log"];
  g_ignoreClose = opt.count("--ignore-close");
  const bool hidden = opt.count("--hidden"), minimized = opt.count("--minimized");
  const double exitAfter = std::atof(opt["--exit-after"].c_str());
  if (g_titles.empty()) return 2;

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
    if (!h) return 3;
    SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(i));
    g_windows.push_back(h);
    ++g_open;
    if (!hidden) ShowWindow(h, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
  }
  if (HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, opt["--ready-event"].c_str())) {
    SetEvent(ev);
    CloseHandle(ev);
  }
  if (opt.count("--hang")) {
    Sleep(exitAfter > 0 ? static_cast<DWORD>(exitAfter * 1000) : INFINITE);
    return 0;
  }
  if (const int ms = std::atoi(opt["--retitle-every"].c_str()); ms > 0)
    SetTimer(g_windows.front(), 1, static_cast<UINT>(ms), nullptr);
  if (exitAfter > 0) SetTimer(nullptr, 0, static_cast<UINT>(exitAfter * 1000), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;  // --exit-after
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
