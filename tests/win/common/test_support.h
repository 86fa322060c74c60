// Shared by the Wine-side tests: waiting, child processes, pop-ups of the
// vt_popups helper, raw registry access and list-box contents.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt::test {

inline std::string Env(const char* name) {
  return std::getenv(name) ? std::getenv(name) : "";
}

// Built by appending: "\"" + s + "\"" trips a false -Wrestrict in GCC 12.
inline std::string Quoted(const std::string& s) {
  return std::string(1, '"').append(s).append(1, '"');
}

inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Polls (pumping this thread's messages) until pred holds or time runs out.
inline bool WaitFor(const std::function<bool()>& pred,
                    std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    PumpMessages();
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

inline std::string TempPath(const std::string& name) {
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  return dir + name;
}

class Process {
 public:
  Process() = default;
  explicit Process(const std::string& commandLine) { Start(commandLine); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Kill(); }

  bool Start(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi_))
      return false;
    CloseHandle(pi_.hThread);
    return true;
  }
  bool Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
  }
  bool WaitExit(DWORD ms) {
    return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {  // STILL_ACTIVE while it runs
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  void Kill() {
    if (!pi_.hProcess) return;
    if (Running() && TerminateProcess(pi_.hProcess, 9)) WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
    pi_.hProcess = nullptr;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// Brings a window forward and waits until it stays there: focus events come
// late under X.
inline bool StaysInFront(HWND w) {
  int steady = 0;
  return WaitFor(
      [&] {
        return GetForegroundWindow() == w ? ++steady > 25
                                          : (steady = 0, SetForegroundWindow(w), false);
      },
      std::chrono::seconds(10));
}

// A real key press and release, to the window in front.
inline void PressKey(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// Top-level windows of another process (vt_popups); the constructor returns
// once they all exist. Every WM_CLOSE they receive is logged.
class Popups {
 public:
  // args: titles and modifiers as vt_popups takes them, already quoted.
  explicit Popups(const std::string& args) {
    static int n = 0;
    const std::string id = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++n);
    log_ = TempPath("vt_popups_" + id + ".log");
    DeleteFileA(log_.c_str());
    const std::string event = "vt_popups_ready_" + id;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    process_.Start(Quoted(Env("VT_EXE_VT_POPUPS")) + " --quiet --exit-after 120 --log " +
                   Quoted(log_) + " --ready-event " + event + " " + args);
    ok_ = WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0;
    CloseHandle(ready);
  }
  ~Popups() { DeleteFileA(log_.c_str()); }
  bool ok() const { return ok_; }
  Process& process() { return process_; }
  // One line per WM_CLOSE received: "WM_CLOSE <index> <title>".
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  Process process_;
  std::string log_;
  bool ok_ = false;
};

// Registry values as stored: the raw bytes (terminating NUL included, or not).
inline std::optional<std::string> RawValue(HKEY root, const std::string& key, const char* name,
                                           DWORD* type = nullptr) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  DWORD t = 0, size = 0;
  std::string data;
  LONG rc = RegQueryValueExA(k, name, nullptr, &t, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    data.resize(size);
    rc = RegQueryValueExA(k, name, nullptr, &t, reinterpret_cast<BYTE*>(data.data()), &size);
  }
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  if (type) *type = t;
  return data.substr(0, size);
}

// A REG_SZ value as text, without its terminating NUL.
inline std::optional<std::string> ReadValue(const std::string& key, const char* name) {
  auto v = RawValue(HKEY_CURRENT_USER, key, name);
  if (v && !v->empty() && v->back() == '\0') v->pop_back();
  return v;
}

inline void WriteRaw(const std::string& key, const char* name, DWORD type, const void* data,
                     DWORD size) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, type, data, size);
}

inline void WriteValue(const std::string& key, const char* name, const std::string& text) {
  WriteRaw(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline void DeleteValue(const std::string& key, const char* name) {
  RegDeleteKeyValueA(HKEY_CURRENT_USER, key.c_str(), name);
}

inline bool KeyExists(const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// The texts of a list box of this process, in display order.
inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::string s(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    s.resize(static_cast<std::size_t>(
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()))));
    items.push_back(s);
  }
  return items;
}

// A control under test, on a hidden top-level window (its parent) whose title
// is one of the program's own, so a scan leaves it out.
inline HWND Control(const char* cls, DWORD style) {
  static const HWND host = CreateWindowExA(0, "STATIC", "Vel-Tarrow test host", WS_OVERLAPPEDWINDOW,
                                           0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 200, host, nullptr, nullptr,
                         nullptr);
}

}  // namespace vt::test
