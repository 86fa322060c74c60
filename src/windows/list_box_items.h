// Reading and writing list-box entries of this process: title text plus a
// window handle as item data.
#pragma once

#include <windows.h>

#include <string>

namespace vt {

inline int ListCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

inline std::string ListText(HWND list, int index) {
  const LRESULT len = SendMessageA(list, LB_GETTEXTLEN, index, 0);
  if (len <= 0) return {};
  std::string text(static_cast<size_t>(len), '\0');
  const LRESULT got = SendMessageA(list, LB_GETTEXT, index,
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

inline HWND ListWindow(HWND list, int index) {
  return reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, index, 0));
}

// Adds `title` and gives the entry `window` as item data. In a sorted list the
// new entry's place is the index LB_ADDSTRING reports, not the last one.
inline void ListAdd(HWND list, const std::string& title, HWND window) {
  const LRESULT index =
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
  if (index < 0) return;  // out of space: the title is simply not listed
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(window));
}

}  // namespace vt
