// Drives the real Vel-Tarrow.exe from outside: starts it, finds its hidden
// main window, reads and writes its settings, counts tray icons.
#pragma once

#include <windows.h>

#include <algorithm>

#include "test_support.h"

namespace vt::e2e {

using namespace vt::test;
using std::chrono::milliseconds;
using std::chrono::seconds;

inline constexpr char kProductKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow";
inline constexpr char kSettingsKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings";
inline constexpr char kListKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\List";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Ids of the program's resource.h.
inline constexpr int kIdmRefresh = 1001, kIdmCover = 1002, kIdmStartwWindows = 1003,
                     kIdmExit = 1008, kIdcLstEnumWindows = 2002, kIdcList1 = 2006, kIdcText1 = 2009;

inline void ResetSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKey);
  DeleteValue(kRunKey, "Vel-Tarrow");
}

inline std::string TextOf(HWND w) {  // works across processes
  char buf[1024] = {};
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return buf;
}

// Wine without a desktop shows each tray icon as a child window.
inline std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = nullptr, icon = nullptr;
  while ((tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr)))
    while ((icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr)))
      if (IsWindowVisible(icon)) icons.push_back(icon);
  return icons;
}
inline HWND VisibleWindow(const char* cls) {
  HWND w = FindWindowA(cls, nullptr);
  return w && IsWindowVisible(w) ? w : nullptr;
}

class App {  // the running program and its windows
 public:
  ~App() {  // through Exit: a kill would leave the tray icon for the next test to count
    if (process_.Running() && Main()) {
      Command(kIdmExit);
      process_.WaitExit(5000);
    }
  }

  static std::string ExePath() {  // backslashes, as the program sees its own path
    std::string path = Env("VT_EXE_VEL_TARROW");
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }

  // Returns once start-up has written the status bar.
  bool Start(const std::string& exe = ExePath()) {
    iconsBefore_ = TrayIcons();
    return process_.Start(Quoted(exe)) &&
           WaitFor([&] { return StatusText().rfind("Total POP-UP", 0) == 0; }, seconds(20));
  }
  Process& process() { return process_; }

  HWND Main() const { return FindWindowA("VelTarrowMain", "Vel-Tarrow"); }  // one copy runs
  HWND Control(int id) const { return GetDlgItem(Main(), id); }
  std::string StatusText() const {
    HWND bar = FindWindowExA(Main(), nullptr, "msctls_statusbar32", nullptr);
    return bar ? TextOf(bar) : std::string{};
  }
  // A click on the icon that appeared since Start(): the shell makes it the callback.
  void Click(UINT mouseMessage) const {
    HWND icon = nullptr;
    WaitFor([&] {
      for (HWND i : TrayIcons())
        if (std::find(iconsBefore_.begin(), iconsBefore_.end(), i) == iconsBefore_.end()) icon = i;
      return icon != nullptr;
    });
    PostMessageA(icon, mouseMessage, 0, MAKELPARAM(4, 4));
  }
  void Command(int id) const { PostMessageA(Main(), WM_COMMAND, id, 0); }
  void Show() const {
    Click(WM_LBUTTONDBLCLK);
    WaitFor([&] { return IsWindowVisible(Main()) != FALSE; });
  }
  int Index(int listId, const std::string& title) const {
    return static_cast<int>(SendMessageA(Control(listId), LB_FINDSTRINGEXACT,
                                         static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(title.c_str())));
  }
  void Select(int listId, int index) const {  // as a click does
    SendMessageA(Control(listId), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(listId)));
  }

 private:
  Process process_;
  std::vector<HWND> iconsBefore_;
};

}  // namespace vt::e2e
