// vt_popups: opens top-level windows with given titles, for tests and
// benchmarks that need pop-ups owned by another process.
//
//   vt_popups [option | title]...
//
// Every title opens one window; titles come from the ANSI command line as they
// are. Flags act on the windows opened after them (--titles-from too):
//   --ignore-close        the windows ignore WM_CLOSE (they stay open)
//   --hidden              the windows are created hidden (else shown, not activated)
// Options:
//   --titles-from FILE    a window per non-empty line of FILE as well (CR/LF stripped)
//   --log FILE            append "WM_CLOSE <index> <title>" for every WM_CLOSE received,
//                         index counting windows from 0 in the order opened; the file
//                         is closed after every line, so a reader always sees it whole
//   --ready-event NAME    set the named event (made by the caller) once every window exists
//   --exit-after SECONDS  end then, whatever is still open
//   --quiet               do not print "ready" on stdout once every window exists
// Exit code 0 when all its windows are gone (or at --exit-after), 2 for a bad
// command line, 3 when a window cannot be created.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <string>

namespace {

struct Popup {
  int index;
  std::string title;
  bool ignoreClose, hidden;
};

std::string g_log;
int g_open = 0;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto* popup = reinterpret_cast<const Popup*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_CLOSE && popup) {
    if (FILE* f = g_log.empty() ? nullptr : std::fopen(g_log.c_str(), "ab")) {
      std::fprintf(f, "WM_CLOSE %d %s\n", popup->index, popup->title.c_str());
      std::fclose(f);
    }
    if (!popup->ignoreClose) DestroyWindow(hwnd);
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
  std::deque<Popup> popups;  // stable addresses: each window points at its own
  bool ignoreClose = false, hidden = false, quiet = false;
  std::string readyEvent;
  double exitAfter = 0;
  auto add = [&](const std::string& title) {
    popups.push_back({static_cast<int>(popups.size()), title, ignoreClose, hidden});
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued =
        arg == "--log" || arg == "--ready-event" || arg == "--exit-after" || arg == "--titles-from";
    if (valued && ++i == argc) return Fail(2, "missing value after " + arg);
    if (arg == "--ignore-close") {
      ignoreClose = true;
    } else if (arg == "--hidden") {
      hidden = true;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg == "--log") {
      g_log = argv[i];
    } else if (arg == "--ready-event") {
      readyEvent = argv[i];
    } else if (arg == "--exit-after") {
      exitAfter = std::atof(argv[i]);
    } else if (arg == "--titles-from") {
      std::ifstream in(argv[i], std::ios::binary);
      if (!in) return Fail(2, "cannot read " + std::string(argv[i]));
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) add(line);
      }
    } else {
      add(arg);
    }
  }
  if (popups.empty()) return Fail(2, "no titles given");

  WNDCLASSA wc = {};
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "VtPopupWindow";
  RegisterClassA(&wc);
  for (Popup& p : popups) {
    const int at = 40 + (p.index % 20) * 16;  // cascaded, so a screenshot shows them apart
    HWND h = CreateWindowExA(0, wc.lpszClassName, p.title.c_str(), WS_OVERLAPPEDWINDOW, at, at, 320,
                             160, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return Fail(3, "cannot create window " + std::to_string(p.index));
    // Messages from other programs reach the window only in the loop below.
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&p));
    ++g_open;
    if (!p.hidden) ShowWindow(h, SW_SHOWNOACTIVATE);
  }

  if (!quiet) {
    std::puts("ready");
    std::fflush(stdout);
  }
  if (HANDLE ev = readyEvent.empty() ? nullptr
                                     : OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str())) {
    SetEvent(ev);
    CloseHandle(ev);
  }
  if (exitAfter > 0) SetTimer(nullptr, 0, static_cast<UINT>(exitAfter * 1000), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;  // --exit-after
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
