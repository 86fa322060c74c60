// Real windows for the scan tests: the list boxes the main window would own,
// top-level windows of this process, and pop-ups of a vt_popups process.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vt::test {

// A title part no other window on the desktop has, so a test can tell its
// own windows apart and patterns can aim at them alone.
inline std::string UniqueTag() {
  static int n = 0;
  return "vtscan" + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++n);
}

inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProcA(h, m, w, l);
}

// A hidden owner of the lists, titled like our main window so the scan
// leaves it out.
class ListHost {
 public:
  ListHost() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtScanTestHost";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    host_ = CreateWindowExA(0, wc.lpszClassName, "Vel-Tarrow scan test", WS_OVERLAPPEDWINDOW,
                            0, 0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    lstEnumWindows = Child("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
    tempList = Child("LISTBOX", LBS_HASSTRINGS);
    list1 = Child("LISTBOX", LBS_HASSTRINGS);
  }
  ~ListHost() { DestroyWindow(host_); }
  ListHost(const ListHost&) = delete;
  ListHost& operator=(const ListHost&) = delete;

  HWND Child(const char* cls, DWORD style) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 200, host_, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }

  HWND lstEnumWindows = nullptr;
  HWND tempList = nullptr;
  HWND list1 = nullptr;

 private:
  HWND host_ = nullptr;
};

inline void AddItems(HWND list, const std::vector<std::string>& items) {
  for (const auto& s : items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

struct Entry {
  std::string title;
  HWND window;
};

inline std::vector<Entry> Entries(HWND list) {
  std::vector<Entry> out;
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buf[1024] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    out.push_back({buf, reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, i, 0))});
  }
  return out;
}

// Entries whose title contains `part`.
inline std::vector<Entry> EntriesWith(HWND list, const std::string& part) {
  std::vector<Entry> out;
  for (auto& e : Entries(list)) {
    if (e.title.find(part) != std::string::npos) out.push_back(e);
  }
  return out;
}

inline bool Listed(HWND list, const std::string& title) {
  for (const auto& e : Entries(list)) {
    if (e.title == title) return true;
  }
  return false;
}

inline std::string WindowTitle(HWND hwnd) {
  char buf[1024] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

// Top-level windows of this process that count the WM_CLOSE they receive and
// close on it unless told to ignore it.
class LocalWindows {
 public:
  LocalWindows() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtScanTestPopup";
    RegisterClassA(&wc);
  }
  ~LocalWindows() {
    for (HWND h : made_) {
      if (IsWindow(h)) DestroyWindow(h);
      State().erase(h);
    }
    PumpMessages();
  }
  LocalWindows(const LocalWindows&) = delete;
  LocalWindows& operator=(const LocalWindows&) = delete;

  HWND Open(const std::string& title, bool ignoreClose = false) {
    HWND h = CreateWindowExA(0, "VtScanTestPopup", title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10,
                             200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(h, nullptr) << "cannot open window " << title;
    State()[h] = {0, ignoreClose};
    made_.push_back(h);
    return h;
  }
  static int Closes(HWND h) { return State()[h].closes; }

 private:
  struct Info {
    int closes;
    bool ignoreClose;
  };
  static std::map<HWND, Info>& State() {
    static std::map<HWND, Info> state;
    return state;
  }
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CLOSE) {
      auto it = State().find(h);
      if (it != State().end()) {
        ++it->second.closes;
        if (it->second.ignoreClose) return 0;
      }
      DestroyWindow(h);
      return 0;
    }
    return DefWindowProcA(h, m, w, l);
  }
  std::vector<HWND> made_;
};

// Our arguments hold no quotes and end in no backslash.
inline std::string QuoteArg(const std::string& arg) { return "\"" + arg + "\""; }

// A vt_popups process with the given arguments; it is ended, if still
// running, when this object goes.
class PopupProcess {
 public:
  explicit PopupProcess(const std::vector<std::string>& args) {
    static int n = 0;
    const std::string id = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++n);
    char tmp[MAX_PATH] = {};
    GetTempPathA(sizeof tmp, tmp);
    log_ = std::string(tmp) + "vt_popups_" + id + ".log";
    DeleteFileA(log_.c_str());
    const std::string eventName = "vt_popups_ready_" + id;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());

    const char* exe = std::getenv("VT_EXE_VT_POPUPS");
    if (!exe) {
      ADD_FAILURE() << "VT_EXE_VT_POPUPS is not set";
      CloseHandle(ready);
      return;
    }
    std::string cmd = QuoteArg(exe) + " --quiet --exit-after 60 --log " + QuoteArg(log_) +
                      " --ready-event " + eventName;
    for (const auto& a : args) cmd.append(" ").append(QuoteArg(a));

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      ADD_FAILURE() << "cannot start vt_popups: error " << GetLastError();
      CloseHandle(ready);
      return;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    HANDLE waits[2] = {ready, process_};
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, 20000);
    EXPECT_EQ(r, WAIT_OBJECT_0) << "vt_popups did not open its windows";
    CloseHandle(ready);
  }
  ~PopupProcess() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 10000);
      CloseHandle(process_);
    }
    DeleteFileA(log_.c_str());
  }
  PopupProcess(const PopupProcess&) = delete;
  PopupProcess& operator=(const PopupProcess&) = delete;

  // This process's top-level windows by title.
  std::map<std::string, std::vector<HWND>> Windows() const {
    std::pair<DWORD, std::map<std::string, std::vector<HWND>>> ctx{pid_, {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
          auto* c = reinterpret_cast<decltype(ctx)*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == c->first) c->second[WindowTitle(h)].push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.second;
  }

  // WM_CLOSE lines of the log, as the window indexes that received them.
  std::vector<int> Closes() const {
    std::vector<int> out;
    if (FILE* f = std::fopen(log_.c_str(), "rb")) {
      char line[1024];
      while (std::fgets(line, sizeof line, f)) {
        int index = -1;
        if (std::sscanf(line, "WM_CLOSE %d", &index) == 1) out.push_back(index);
      }
      std::fclose(f);
    }
    return out;
  }

  // Waits until the log holds `count` closes, then a little longer so that a
  // surplus would show too.
  std::vector<int> WaitForCloses(size_t count) const {
    for (int i = 0; i < 200 && Closes().size() < count; ++i) Sleep(25);
    Sleep(150);
    return Closes();
  }

  bool Exited(DWORD waitMs) const {
    return process_ && WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0;
  }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::string log_;
};

// Waits until `hwnd` is gone, at most a few seconds.
inline bool WaitGone(HWND hwnd) {
  for (int i = 0; i < 200 && IsWindow(hwnd); ++i) Sleep(25);
  return !IsWindow(hwnd);
}

}  // namespace vt::test
