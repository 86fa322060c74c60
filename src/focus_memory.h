// Keeps the keyboard focus on the control that had it when a window that
// holds controls is deactivated and activated again (a message box, a modal
// box or another window in between), as the dialog manager does for dialogs.
// Without it DefWindowProc gives the focus to the window frame.
#pragma once

#include <windows.h>

namespace vt {

class FocusMemory {
 public:
  // From WM_ACTIVATE; true when the focus went back to the control, and the
  // message is then handled.
  bool OnActivate(HWND window, WPARAM wp) {
    if (LOWORD(wp) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(window, focus)) control_ = focus;
      return false;
    }
    if (HIWORD(wp) || !control_ || !IsChild(window, control_) || !IsWindowVisible(control_) ||
        !IsWindowEnabled(control_))
      return false;  // minimised, or the control is gone: the frame takes the focus
    SetFocus(control_);
    return true;
  }

 private:
  HWND control_ = nullptr;
};

}  // namespace vt
