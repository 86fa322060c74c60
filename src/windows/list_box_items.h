// Reading and writing list-box entries of this process: title text plus a
// window handle as item data.
#pragma once

#include <windows.h>

#include <string>

namespace vt {

inline int ListCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// Read through the wide messages and converted to the ANSI code page here:
// the lists are Unicode windows, and the system's own ANSI conversion of an
// item goes through a fixed buffer that a long entry overflows.
inline std::string ListText(HWND list, int index) {
  const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (len <= 0) return {};
  std::wstring wide(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(wide.data()));
  if (got <= 0) return {};
  const int chars = static_cast<int>(got);
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, text.data(), bytes, nullptr, nullptr);
  return text;
}

inline HWND ListWindow(HWND list, int index) {
  return reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, index, 0));
}

// Adds `title` and gives the entry `window` as item data. In a sorted list the
// new entry's place is the index LB_ADDSTRING reports, not the last one.
// False when the list is out of space: the title is then simply not listed.
inline bool ListAdd(HWND list, const std::string& title, HWND window) {
  const LRESULT index =
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
  if (index < 0) return false;
  SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(window));
  return true;
}

}  // namespace vt
