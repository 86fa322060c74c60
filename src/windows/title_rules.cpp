#include "windows/title_rules.h"

#include <array>
#include <charconv>

#include "windows/title_match.h"

namespace vt {
namespace {

// Our own windows, through the same wildcard rule as the close list.
constexpr std::array<std::string_view, 4> kOwnPatterns = {
    "*VelTarrow*", "VelTarrow*", "*Vel-Tarrow*", "Vel-Tarrow*"};

// Hidden windows of the system that are no pop-ups; whole title, exact case.
constexpr std::array<std::string_view, 4> kSystemTitles = {
    "MCI command handling window", "DDE Server Window", "SysFader", "DEVLDR"};

}  // namespace

std::string TrimAtNull(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

bool IsOwnWindowTitle(std::string_view title) {
  for (std::string_view pattern : kOwnPatterns) {
    if (TitleMatches(title, pattern)) return true;
  }
  return false;
}

bool IsExcludedTitle(std::string_view title) {
  if (title.empty() || IsOwnWindowTitle(title)) return true;
  for (std::string_view system : kSystemTitles) {
    if (title == system) return true;
  }
  return false;
}

std::string ClosedCountText(double count) {
  // Fixed notation, no decimals: a double holds whole counts exactly up to
  // 2^53, far beyond anything a scan reaches. "+ 0.0" turns -0 into 0.
  char buf[400];  // room for the largest double written out in full
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, count + 0.0,
                                 std::chars_format::fixed, 0);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

}  // namespace vt
