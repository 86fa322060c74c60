// The commands that change the close list (List1). Each change is saved at
// once; a command that stops changes neither the list nor the registry.
#pragma once

#include <windows.h>

#include <functional>

namespace vt {

// Adds the title selected in the running-windows list, unless the close list
// already holds it in some letter case (then silently nothing).
void Add(HWND lstEnumWindows, HWND list1, const std::function<void()>& hideCover);

// Removes the selected entry, without asking.
void Delete(HWND list1);

// Edits the selected entry in an input box. An unchanged or duplicate text
// gets "That listing already exists"; a text that differs from its first
// case-insensitive match only in letter case is accepted.
void EditSelected(HWND owner, HWND list1, const std::function<void()>& hideCover);

}  // namespace vt
