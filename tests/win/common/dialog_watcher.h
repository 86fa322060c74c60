// Answers a modal "#32770" box of the given title from another thread: records
// it, may type into its first edit field and presses a button. On timeout it
// cancels the creating thread's boxes: a wrong title fails, never hangs.
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
  // type: text for the first edit field, none to leave it. To check that
  // nothing shows: Stop(), then !found.
  explicit DialogWatcher(std::string title, std::optional<std::string> type = {}, int button = IDOK,
                         DWORD timeoutMs = 5000)
      : thread_([=, this] { Run(title, type, button, GetTickCount() + timeoutMs); }) {}
  ~DialogWatcher() { Stop(); }
  void Wait() { thread_.joinable() ? thread_.join() : void(); }
  void Stop() { stop_ = true, Wait(); }

  // Read after Wait() or Stop(). text: the static texts, '\n'-joined; edit:
  // the first edit field as the box showed it.
  bool found = false;
  HICON shownIcon = nullptr;  // the icon shown, if any, e.g. LoadIcon(nullptr, IDI_HAND)
  std::string text, edit;
  std::vector<std::string> buttons;

 private:
  void Run(std::string title, std::optional<std::string> type, int button, DWORD end) {
    for (; !stop_ && static_cast<LONG>(end - GetTickCount()) > 0; Sleep(10)) {
      HWND box = FindWindowA("#32770", title.c_str()), field = nullptr;
      if (!box || !IsWindowVisible(box)) continue;
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {}, caption[1024] = {};
        GetClassNameA(c, cls, sizeof cls), GetWindowTextA(c, caption, sizeof caption);
        if (_stricmp(cls, "Button") == 0) buttons.push_back(caption);
        if (_stricmp(cls, "Edit") == 0 && !field) field = c, edit = caption;
        if (_stricmp(cls, "Static") != 0) continue;
        // A message box may keep an empty icon control: only a shown image counts.
        const bool isIcon = (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (isIcon && IsWindowVisible(c) && !shownIcon)
          shownIcon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
        if (!isIcon && *caption) (text += text.empty() ? "" : "\n") += caption;
      }
      if (field && type) SetWindowTextA(field, type->c_str());
      found = true;
      PostMessageA(box, WM_COMMAND, button, reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
      return;
    }
    for (HWND w = nullptr; !stop_ && (w = FindWindowExA(nullptr, w, "#32770", nullptr));)
      if (GetWindowThreadProcessId(w, nullptr) == owner_ && IsWindowVisible(w))
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  }

  std::atomic<bool> stop_{false};
  const DWORD owner_ = GetCurrentThreadId();
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace vt::test
