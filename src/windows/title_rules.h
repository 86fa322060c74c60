// Which window titles the running-windows list leaves out, and the small text
// pieces of a scan. Pure code: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace vt {

// The characters of `text` before its first NUL, or all of it when it has none.
std::string TrimAtNull(std::string_view text);

// True for titles of this program's own windows ("VelTarrow" or "Vel-Tarrow"
// anywhere, letter case significant).
bool IsOwnWindowTitle(std::string_view title);

// True when a window with this title is never listed: one of our own, an
// empty title, or one of the hidden system windows every desktop has.
bool IsExcludedTitle(std::string_view title);

// The closed count as the status bar shows it: a whole decimal number with no
// fraction and no exponent ("12", "1000000").
std::string ClosedCountText(double count);

}  // namespace vt
