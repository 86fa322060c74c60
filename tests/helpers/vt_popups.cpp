// vt_popups: opens top-level windows with given titles, for tests that need
// pop-ups owned by another process.
//
//   vt_popups [options] [title | modifier]...
//
// Every title opens one top-level window. Titles are taken from the ANSI
// command line as they are, so bytes of 0x80 and above pass through in the
// ANSI code page. Modifiers change the windows of the titles after them:
//   --ignore-close       these windows ignore WM_CLOSE (they stay open)
//   --obey-close         these windows close on WM_CLOSE (the default)
//   --hidden             these windows are created hidden
//   --visible            these windows are shown, without activation (default)
// Options, anywhere on the line:
//   --titles-from FILE   also open a window per line of FILE (CR/LF stripped,
//                        empty lines skipped), with the modifiers in force
//   --log FILE           append one line per WM_CLOSE received:
//                        "WM_CLOSE <index> <title>", index counting from 0 in
//                        the order windows were opened; the file is closed
//                        after every line, so a reader always sees it whole
//   --ready-event NAME   set the named event (made by the caller) once every
//                        window exists
//   --exit-after SECONDS end after that many seconds whatever is still open
//   --quiet              print nothing on stdout
//
// Unless --quiet, stdout gets one line "hwnd <hex handle> <title>" per window,
// then "ready", flushed, once every window exists. The program pumps messages
// and exits with code 0 when all its windows are gone (or at --exit-after);
// code 2 means a bad command line, 3 that a window could not be created.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kClassName[] = "VtPopupWindow";

struct Popup {
  int index = 0;
  std::string title;
  bool ignoreClose = false;
  bool hidden = false;
  HWND hwnd = nullptr;
};

std::string g_logPath;
int g_open = 0;

void LogClose(const Popup& popup) {
  if (g_logPath.empty()) return;
  if (FILE* f = std::fopen(g_logPath.c_str(), "ab")) {
    std::fprintf(f, "WM_CLOSE %d %s\n", popup.index, popup.title.c_str());
    std::fclose(f);
  }
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* popup = reinterpret_cast<Popup*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_CLOSE:
      if (popup) LogClose(*popup);
      if (popup && popup->ignoreClose) return 0;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (--g_open == 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

bool ReadTitles(const char* path, std::vector<std::string>& out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::string line;
  for (int c = std::fgetc(f);; c = std::fgetc(f)) {
    if (c == EOF || c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) out.push_back(line);
      line.clear();
      if (c == EOF) break;
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  std::fclose(f);
  return true;
}

int Usage(const char* why) {
  std::fprintf(stderr, "vt_popups: %s\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::unique_ptr<Popup>> popups;
  bool ignoreClose = false, hidden = false, quiet = false;
  std::string readyEvent;
  double exitAfter = 0;

  auto add = [&](const std::string& title) {
    auto p = std::make_unique<Popup>();
    p->index = static_cast<int>(popups.size());
    p->title = title;
    p->ignoreClose = ignoreClose;
    p->hidden = hidden;
    popups.push_back(std::move(p));
  };

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--ignore-close") {
      ignoreClose = true;
    } else if (arg == "--obey-close") {
      ignoreClose = false;
    } else if (arg == "--hidden") {
      hidden = true;
    } else if (arg == "--visible") {
      hidden = false;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg == "--log" || arg == "--ready-event" || arg == "--exit-after" ||
               arg == "--titles-from") {
      if (!hasValue) return Usage(("missing value after " + arg).c_str());
      const std::string value = argv[++i];
      if (arg == "--log") {
        g_logPath = value;
      } else if (arg == "--ready-event") {
        readyEvent = value;
      } else if (arg == "--exit-after") {
        exitAfter = std::atof(value.c_str());
      } else {
        std::vector<std::string> titles;
        if (!ReadTitles(value.c_str(), titles)) return Usage("cannot read titles file");
        for (const auto& t : titles) add(t);
      }
    } else {
      add(arg);
    }
  }
  if (popups.empty()) return Usage("no titles given");

  WNDCLASSA wc = {};
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);

  for (auto& p : popups) {
    const int offset = (p->index % 20) * 16;
    p->hwnd = CreateWindowExA(0, kClassName, p->title.c_str(), WS_OVERLAPPEDWINDOW,
                              40 + offset, 40 + offset, 320, 160, nullptr, nullptr,
                              wc.hInstance, p.get());
    if (!p->hwnd) {
      std::fprintf(stderr, "vt_popups: cannot create window %d (error %lu)\n", p->index,
                   GetLastError());
      return 3;
    }
    ++g_open;
    if (!p->hidden) ShowWindow(p->hwnd, SW_SHOWNOACTIVATE);
  }

  if (!quiet) {
    for (const auto& p : popups) {
      std::printf("hwnd %llx %s\n",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(p->hwnd)),
                  p->title.c_str());
    }
    std::printf("ready\n");
    std::fflush(stdout);
  }
  if (!readyEvent.empty()) {
    if (HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str())) {
      SetEvent(ev);
      CloseHandle(ev);
    }
  }

  if (exitAfter > 0) SetTimer(nullptr, 0, static_cast<UINT>(exitAfter * 1000), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;  // --exit-after
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
