// Storage of the close list in the List key: the first-start patterns,
// loading into the list box and saving from it. The list box (List1, sorted)
// is the close list; the registry copy is only read at start-up.
#pragma once

#include <windows.h>

#include <array>

namespace vt {

// The eleven first-start patterns, in the order they are stored
// ("List1".."List11"). Text is in the ANSI code page.
extern const std::array<const char*, 11> kDefaultPatterns;

// Seeds the List key with the default patterns when its "Count" reads "0"
// (no key, no value, or a stored zero); otherwise leaves it alone.
void WriteDefaultList();

// Adds "List1".."List"+Count to the (sorted) list box, exactly as stored:
// a missing value adds an empty entry, duplicates are kept.
void LoadList(HWND list1);

// Rewrites "Count" and "List1".."List"+Count in the order the list box shows.
void SaveList(HWND list1);

}  // namespace vt
