// A modal input box: a prompt, one line of text, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>

namespace vt {

// Shows the box over `owner` (may be null) with `preset` in the edit field,
// selected. Returns the text as typed when OK is pressed, "" on Cancel or
// when the box cannot be shown; OK on a cleared field gives "" as well.
std::string InputBox(HWND owner, const std::string& prompt, const std::string& title,
                     const std::string& preset);

}  // namespace vt
