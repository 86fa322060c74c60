// Drives the real Vel-Tarrow.exe from outside: starts it, finds its hidden
// main window, reads and writes its settings, counts tray icons.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt::e2e {

inline constexpr char kProductKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow";
inline constexpr char kSettingsKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings";
inline constexpr char kListKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\List";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kMainClass[] = "VelTarrowMain";

// Command ids of the menus (the program's resource.h).
inline constexpr int kIdmCover = 1002;
inline constexpr int kIdmStartwWindows = 1003;
inline constexpr int kIdmExit = 1008;

// Built by appending: "\"" + s + "\"" trips a false -Wrestrict in GCC 12.
inline std::string Quoted(const std::string& s) {
  std::string q(1, '"');
  q += s;
  q += '"';
  return q;
}

inline std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Polls until pred holds or the time runs out; returns the last result.
inline bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

inline std::optional<std::string> ReadValue(const char* key, const char* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<std::string> result;
  if (RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
        ERROR_SUCCESS) {
      data.resize(size);
      if (!data.empty() && data.back() == '\0') data.pop_back();
      result = data;
    }
  }
  RegCloseKey(k);
  return result;
}

inline void WriteValue(const char* key, const char* name, const std::string& text) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

inline void DeleteValue(const char* key, const char* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name);
  RegCloseKey(k);
}

// Every value under the product key and the Run entry, as "key|name=data" lines.
inline std::vector<std::string> SnapshotSettings() {
  std::vector<std::string> out;
  for (const char* key : {kSettingsKey, kListKey}) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) continue;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameLen = sizeof name;
      BYTE data[2048];
      DWORD dataLen = sizeof data;
      if (RegEnumValueA(k, i, name, &nameLen, nullptr, nullptr, data, &dataLen) != ERROR_SUCCESS) {
        break;
      }
      out.push_back(std::string(key) + "|" + name + "=" +
                    std::string(reinterpret_cast<char*>(data), dataLen));
    }
    RegCloseKey(k);
  }
  if (auto run = ReadValue(kRunKey, "Vel-Tarrow")) out.push_back("Run=" + *run);
  return out;
}

inline void ResetSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKey);
  DeleteValue(kRunKey, "Vel-Tarrow");
}

inline std::string WindowTextOf(HWND w) {
  char buf[1024] = {};
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return buf;
}

// Tray icons shown by Wine without a desktop: one child window each.
inline int CountTrayIcons() {
  int count = 0;
  HWND tray = nullptr;
  while ((tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr))) {
    HWND icon = nullptr;
    while ((icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr))) {
      if (IsWindowVisible(icon)) ++count;
    }
  }
  return count;
}

class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Kill(); }

  bool Start(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi_)) {
      return false;
    }
    CloseHandle(pi_.hThread);
    pi_.hThread = nullptr;
    return true;
  }
  bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  bool WaitExit(DWORD ms) { return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  DWORD Id() const { return pi_.dwProcessId; }
  void Kill() {
    if (!pi_.hProcess) return;
    if (Running()) {
      TerminateProcess(pi_.hProcess, 9);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    pi_.hProcess = nullptr;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

// The running program and its windows.
class App {
 public:
  App() = default;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  // Ends through the Exit command, so the tray icon goes too; a kill would
  // leave it behind for the next test to count.
  ~App() {
    if (process_.Running() && Main()) {
      Command(kIdmExit);
      process_.WaitExit(5000);
    }
  }

  // As the program sees its own path: backslashes.
  static std::string ExePath() {
    std::string path = Env("VT_EXE_VEL_TARROW");
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }

  // Starts the program and waits until start-up has written the status bar.
  bool Start() {
    if (!process_.Start(Quoted(ExePath()))) return false;
    return WaitFor([&] { return StatusText().rfind("Total POP-UP", 0) == 0; },
                   std::chrono::seconds(20));
  }
  Process& process() { return process_; }

  HWND Main() const {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kMainClass, "Vel-Tarrow"))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == process_.Id()) return w;
    }
    return nullptr;
  }
  HWND Child(const char* cls, int index = 0) const {
    HWND c = nullptr;
    for (int i = 0; i <= index; ++i) c = FindWindowExA(Main(), c, cls, nullptr);
    return c;
  }
  HWND Control(int id) const { return GetDlgItem(Main(), id); }
  std::string StatusText() const {
    HWND bar = Child("msctls_statusbar32");
    return bar ? WindowTextOf(bar) : std::string{};
  }
  // The tray icon's callback: a mouse move whose x is the mouse message.
  void Tray(UINT mouseMessage) const { PostMessageA(Main(), WM_MOUSEMOVE, 0, mouseMessage); }
  void Command(int id) const { PostMessageA(Main(), WM_COMMAND, id, 0); }

 private:
  Process process_;
};

}  // namespace vt::e2e
