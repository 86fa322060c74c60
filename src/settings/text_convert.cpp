#include "settings/text_convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vt {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the number that starts at text[0] (no leading blanks), 0 when
// there is none. Fills `digits` with the part from_chars can take.
size_t ScanNumber(std::string_view text, bool* negative, std::string_view* digits) {
  size_t i = 0;
  *negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    *negative = text[i] == '-';
    ++i;
  }
  const size_t start = i;
  size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return 0;
  // An exponent counts only when digits follow it: "2e" is 2 then letters.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  *digits = text.substr(start, i - start);
  return i;
}

// from_chars wants no sign and at least one digit before a lone '.': ".5" and
// "5." are fine for it in general format.
double ParseDigits(std::string_view digits, bool negative) {
  double value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(value)) return 0;
  (void)end;  // the scan already fixed the extent
  return negative ? -value : value;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view word) {
  if (a.size() != word.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  std::string_view digits;
  if (ScanNumber(text, &negative, &digits) == 0) return 0;
  return ParseDigits(digits, negative);
}

bool TextToBoolean(std::string_view text, bool fallback) {
  text = TrimBlanks(text);
  if (EqualsIgnoringCase(text, "true")) return true;
  if (EqualsIgnoringCase(text, "false")) return false;
  bool negative = false;
  std::string_view digits;
  // Only a number that is the whole text: "1x" is not a Boolean.
  if (text.empty() || ScanNumber(text, &negative, &digits) != text.size()) return fallback;
  // Zero exactly when every mantissa digit is; this also holds for numbers a
  // double cannot hold ("1e999", "1e-999").
  for (char c : digits) {
    if (c == 'e' || c == 'E') break;
    if (c >= '1' && c <= '9') return true;
  }
  return false;
}

std::string WholeNumberText(double value) {
  if (!std::isfinite(value)) return "0";
  value = std::round(value);
  if (value == 0) return "0";  // no "-0"
  // %.0f prints every digit of any finite double: at most 309 and a sign.
  char buffer[320];
  const int n = std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string("0");
}

}  // namespace vt
