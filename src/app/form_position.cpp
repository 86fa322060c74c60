#include "app/form_position.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vt {

std::optional<double> ParseStoredPosition(std::string_view text) {
  std::string s(text);
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const std::size_t last = s.find_last_not_of(" \t");
  s = s.substr(first, last - first + 1);
  // Plain decimal only: strtod would also take hex, "inf" and "nan".
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E')) {
      return std::nullopt;
    }
  }
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
  return v;
}

FormPlacement CorrectFormPosition(std::string_view storedTop, std::string_view storedLeft,
                                  double width, double height, double screenWidth,
                                  double screenHeight) {
  const double centredTop = screenHeight / 2 - height / 2;
  const double centredLeft = screenWidth / 2 - width / 2;
  FormPlacement p;

  // Text that is not a number is treated like an off-screen value: centred,
  // and written back so the garbage does not stay.
  const auto top = ParseStoredPosition(storedTop);
  const auto left = ParseStoredPosition(storedLeft);
  p.top = top ? *top : centredTop;
  p.left = left ? *left : centredLeft;
  p.corrected = !top || !left;

  const double margin = 100;
  if (p.top > screenHeight - margin) p.top = centredTop, p.corrected = true;
  if (p.left > screenWidth - margin) p.left = centredLeft, p.corrected = true;
  if (p.top < 0) p.top = centredTop, p.corrected = true;
  if (p.left < 0) p.left = centredLeft, p.corrected = true;
  return p;
}

std::string PositionText(double twips) {
  return std::to_string(static_cast<long long>(std::llround(twips)));
}

}  // namespace vt
