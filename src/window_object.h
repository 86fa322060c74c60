// The window procedure of a class whose windows each carry one object: the
// object comes as CreateWindowEx's last parameter, learns its window before
// any other message and answers every message through `handle`.
#pragma once

#include <windows.h>

namespace vt {

template <class T, HWND T::*window, LRESULT (T::*handle)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK ObjectWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->*window = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return self ? (self->*handle)(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace vt
