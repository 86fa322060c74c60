// List search done by the list control itself (module SearchListBox).
#pragma once

#include <windows.h>

#include <string>

namespace vt {

// Index of the first item of a list box or combo box that equals `text`
// (`exact`) or begins with it, ignoring letter case; -1 when none does. The
// search starts after item `start` and wraps; -1 searches from the top. Any
// control that is not a list box is treated as a combo box.
int FindListItem(HWND list, const std::string& text, bool exact, int start);

}  // namespace vt
