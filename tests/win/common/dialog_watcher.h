// Answers a modal dialog that code under test shows on this thread: a second
// thread finds the visible "#32770" window with the title, records its texts,
// may type into its first edit field and presses a button. If none comes in
// time, every visible dialog of this process is cancelled, so a wrong title
// fails the test instead of hanging it. Must show nothing: Stop(), !found.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt::test {

class DialogWatcher {
 public:
  // type: text for the first edit field; none leaves the field as shown.
  explicit DialogWatcher(std::string title, std::optional<std::string> type = {}, int button = IDOK,
                         DWORD timeoutMs = 5000)
      : thread_([=, this] { Run(title, type, button, GetTickCount() + timeoutMs); }) {}
  ~DialogWatcher() { Stop(); }
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }
  void Stop() {
    stop_ = true;
    Wait();
  }

  // Read after Wait() or Stop(). text: the static texts, '\n'-joined; edit:
  // the first edit field as the box showed it.
  bool found = false, icon = false;
  std::string text, edit;
  std::vector<std::string> buttons;

 private:
  static std::string Get(HWND w, bool className) {
    char buf[1024] = {};
    className ? GetClassNameA(w, buf, sizeof buf) : GetWindowTextA(w, buf, sizeof buf);
    return buf;
  }

  void Record(HWND box, const std::optional<std::string>& type) {
    HWND field = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const std::string cls = Get(c, true), caption = Get(c, false);
      if (_stricmp(cls.c_str(), "Button") == 0) buttons.push_back(caption);
      if (_stricmp(cls.c_str(), "Edit") == 0 && !field) field = c, edit = caption;
      if (_stricmp(cls.c_str(), "Static") != 0) continue;
      // A message box may keep an empty icon control: only a shown image counts.
      const bool isIcon = (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
      if (isIcon && IsWindowVisible(c) && SendMessageA(c, STM_GETICON, 0, 0)) icon = true;
      if (!isIcon && !caption.empty()) text += (text.empty() ? "" : "\n") + caption;
    }
    if (field && type) SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(type->c_str()));
  }

  void Run(const std::string& title, const std::optional<std::string>& type, int button,
           DWORD end) {
    for (; !stop_ && static_cast<LONG>(end - GetTickCount()) > 0; Sleep(10)) {
      HWND box = FindWindowA("#32770", title.c_str());
      if (!box || !IsWindowVisible(box)) continue;
      Record(box, type);
      found = true;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
      return;
    }
    auto cancel = [](HWND w, LPARAM) -> BOOL {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == GetCurrentProcessId() && IsWindowVisible(w) && Get(w, true) == "#32770")
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return TRUE;
    };
    if (!stop_) EnumWindows(cancel, 0);
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace vt::test
