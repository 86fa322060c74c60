// The "Running Windows" list: one entry per distinct top-level window title,
// with the handle of the window it was created for as item data.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "windows/title_rules.h"

namespace vt {

// EnumWindows callback: adds the window's title and handle to the list box
// whose handle is `tempList`, unless the title is excluded. Always goes on.
BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM tempList);

// The titles the last refresh listed, in enumeration order. When a refresh
// finds exactly these again, neither pass could change either list, so both
// are skipped and the lists stay as they are.
struct RefreshMemo {
  std::vector<std::string> titles;
  bool valid = false;
};

// Brings `lstEnumWindows` (sorted) up to date with the top-level windows that
// exist now, using `tempList` (unsorted, hidden) as scratch. Entries are added
// and removed in place; a surviving entry keeps the handle it was made with.
// With a memo, an unchanged desktop costs no list search.
void RefreshMain(HWND lstEnumWindows, HWND tempList, RefreshMemo* memo = nullptr);

}  // namespace vt
