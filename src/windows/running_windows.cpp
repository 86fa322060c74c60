#include "windows/running_windows.h"

#include "windows/list_box_items.h"
#include "windows/search_list_box.h"

namespace vt {

BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM tempList) {
  // The titles the system hands out in ANSI fit 260 characters, 259 kept.
  char buffer[260] = {};
  // The length it returns is not needed: a window with no text, or one that
  // is already gone, leaves the buffer empty and so is left out.
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  const std::string title = TrimAtNull(std::string_view(buffer, sizeof buffer));
  if (!IsExcludedTitle(title)) {
    ListAdd(reinterpret_cast<HWND>(tempList), title, hwnd);
  }
  return TRUE;
}

void RefreshMain(HWND lstEnumWindows, HWND tempList) {
  SendMessageA(tempList, LB_RESETCONTENT, 0, 0);
  // The scratch list reaches the callback through its parameter rather than
  // through a global, so nothing here depends on the main window.
  EnumWindows(EnumWindowsProc, reinterpret_cast<LPARAM>(tempList));

  // Add pass: titles not listed yet (up to letter case), in enumeration order,
  // so the first of several windows sharing a title gives the entry.
  const int found = ListCount(tempList);
  for (int i = 0; i < found; ++i) {
    const std::string title = ListText(tempList, i);
    if (FindListItem(lstEnumWindows, title, true, -1) == -1) {
      ListAdd(lstEnumWindows, title, ListWindow(tempList, i));
    }
  }

  // Remove pass, from the end so the indexes still to visit stay put.
  const int listed = ListCount(lstEnumWindows);
  for (int i = listed - 1; i >= 0; --i) {
    if (FindListItem(tempList, ListText(lstEnumWindows, i), true, -1) == -1) {
      SendMessageA(lstEnumWindows, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
    }
  }
}

}  // namespace vt
