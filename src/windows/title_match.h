// The wildcard rule by which a window title is compared with a close-list
// pattern. Pure code: no <windows.h>.
#pragma once

#include <string_view>

namespace vt {

// True when `pattern` accounts for the whole of `title`. Bytes are compared by
// their unsigned codes (ANSI text, letter case significant).
//
//   *          any run of characters, the empty run included
//   ?          exactly one character
//   #          exactly one digit 0-9
//   [group]    one character in the group; [!group] one character not in it
//   []         nothing: consumes no character
//   other      itself ('!' and ']' outside a group included)
//
// Inside a group, "a-z" is a range by code, both ends included; a '-' first
// (after a leading '!') or last stands for itself; '*', '?', '#' and '[' stand
// for themselves. "[!]" is the negation of the empty group: any one character.
//
// Malformed patterns match no title at all: a '[' without a closing ']', or a
// range whose first code is above its last ("[z-a]"). They never fail or hang.
//
// Time is O(len(title) * len(pattern)) in the worst case, with no recursion
// and no allocation.
bool TitleMatches(std::string_view title, std::string_view pattern);

// True when the pattern is malformed in one of the ways above.
bool IsMalformedPattern(std::string_view pattern);

}  // namespace vt
