// Drives the real Vel-Tarrow.exe from outside: starts it, finds its hidden
// main window, reads and writes its settings, counts tray icons.
#pragma once

#include <windows.h>

#include "test_support.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt::e2e {

using namespace vt::test;

inline constexpr char kProductKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow";
inline constexpr char kSettingsKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings";
inline constexpr char kListKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\List";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kMainClass[] = "VelTarrowMain";

// Command ids of the menus (the program's resource.h).
inline constexpr int kIdmCover = 1002;
inline constexpr int kIdmStartwWindows = 1003;
inline constexpr int kIdmExit = 1008;

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
