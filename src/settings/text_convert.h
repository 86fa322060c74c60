// Conversions between stored settings text and values. Pure code: no
// <windows.h>, no locale, never fails.
#pragma once

#include <string>
#include <string_view>

namespace vt {

// The value of the number at the start of `text`, 0 when there is none.
// Leading blanks (space, tab, CR, LF) are skipped; then an optional sign,
// digits with an optional '.' fraction, and an optional exponent
// ("e"/"E", optional sign, digits). The scan stops at the first character
// that does not fit, so "12 apples" and "12abc" give 12, "2.5" gives 2.5,
// ".5" gives 0.5, and "abc", "" and "-" give 0. The decimal point is always
// '.', whatever the user's locale. A number too large for a double gives 0.
double LeadingNumber(std::string_view text);

// Text of a stored Boolean: "True"/"False" in any letter case, or a number
// (0 false, any other value true), blanks around either allowed. Any other
// text ("", "yes", "12abc") is not a Boolean: `fallback` comes back, so a
// damaged value behaves like a missing one when the caller passes the default.
bool TextToBoolean(std::string_view text, bool fallback);

// "StartWithWindows" is on only for exactly "True": "true" or "1" is off.
inline bool IsExactlyTrue(std::string_view text) {
  return text == "True";
}

// `value` as a whole decimal number: 12 -> "12", never "12.0" or "1.2E+1".
// Fractions are rounded to the nearest whole number; values that are not
// finite give "0".
std::string WholeNumberText(double value);

}  // namespace vt
