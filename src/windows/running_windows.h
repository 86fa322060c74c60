// The "Running Windows" list: one entry per distinct top-level window title,
// with the handle of the window it was created for as item data.
#pragma once

#include <windows.h>

#include "windows/title_rules.h"

namespace vt {

// EnumWindows callback: adds the window's title and handle to the list box
// whose handle is `tempList`, unless the title is excluded. Always goes on.
BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM tempList);

// Brings `lstEnumWindows` (sorted) up to date with the top-level windows that
// exist now, using `tempList` (unsorted, hidden) as scratch. Entries are added
// and removed in place; a surviving entry keeps the handle it was made with.
void RefreshMain(HWND lstEnumWindows, HWND tempList);

}  // namespace vt
