#include "download/download_format.h"

#include <cmath>
#include <cstdio>

namespace vt {
namespace {

// Up to 7 significant digits without an exponent; trailing zeros dropped.
std::string GeneralNumber(double value) {
  const int whole = value >= 1 ? static_cast<int>(std::floor(std::log10(value))) + 1 : 1;
  const int decimals = whole >= 7 ? 0 : 7 - whole;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

}  // namespace

std::string FormatNumber(double value, const std::string& pattern) {
  std::size_t end = 0;
  while (end < pattern.size() &&
         (pattern[end] == '#' || pattern[end] == '0' || pattern[end] == '.'))
    ++end;
  const std::string number = pattern.substr(0, end);
  const std::size_t dot = number.find('.');
  const int decimals = dot == std::string::npos ? 0 : static_cast<int>(number.size() - dot - 1);
  const std::string intPart = number.substr(0, dot);
  const bool leadingZero = intPart.find('0') != std::string::npos;

  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(value * scale) / scale;  // halves away from zero
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
  std::string s = buf;
  if (!leadingZero) {
    // "###.0" shows 0.5 as ".5".
    const std::size_t zero = s.find("0.");
    if (zero == (s[0] == '-' ? 1u : 0u)) s.erase(zero, 1);
    if (s == "0" || s == "-0") s.pop_back();
  }
  if (s == "-0" || s == "-0.0") s.erase(0, 1);
  return s + pattern.substr(end);
}

std::string FormatFileSize(double size, const std::string& pattern) {
  const auto withPattern = [&](double value, const char* fallback, const char* suffix) {
    return FormatNumber(value, pattern.empty() ? fallback : pattern) + suffix;
  };
  if (size >= 0 && size <= 1023) return GeneralNumber(size) + " bytes";
  if (size >= 1024 && size <= 1048575) return withPattern(size / 1024, "###0", " KB");
  if (size >= 1048576 && size <= 1073741823) return withPattern(size / 1048576, "###0.0", " MB");
  if (size > 1073741823) return withPattern(size / 1073741824, "###0.0", " GB");
  return "";
}

std::string FormatTime(float seconds) {
  const float s = seconds;
  if (!std::isfinite(s) || std::fabs(s) > 1e12f) return "unknown";
  const auto text = [](double v) { return FormatNumber(v, "0"); };
  if (s >= 0 && s <= 59) return text(s) + " sec";
  if (s >= 60 && s <= 3599) {
    const auto secs = static_cast<long long>(std::nearbyint(s)) % 60;  // halves to even
    return text(std::floor(s / 60.0f)) + " min " + text(static_cast<double>(secs)) + " sec";
  }
  const auto mins = static_cast<long long>(std::nearbyint(s / 60.0f)) % 60;
  return text(std::floor(s / 3600.0f)) + " hr " + text(static_cast<double>(mins)) + " min";
}

std::string FitText(std::string text, int available,
                    const std::function<int(const std::string&)>& measure) {
  int needed = measure(text);
  for (int n = static_cast<int>(text.size()) / 2 - 2;; --n) {
    if (needed <= available || n < 4) return text;
    const auto keep = static_cast<std::size_t>(n);
    text = text.substr(0, keep) + "..." + text.substr(text.size() - keep);
    needed = measure(text);
  }
}

std::string ReturnFileOrFolder(const std::string& fullPath, bool returnFile, bool isURL) {
  const std::size_t at = fullPath.rfind(isURL ? '/' : '\\');
  if (at == std::string::npos) return fullPath;
  return returnFile ? fullPath.substr(at + 1) : fullPath.substr(0, at + 1);
}

std::string QualifyPath(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

std::string ProgressCaption(std::int64_t received, std::int64_t total, const std::string& file) {
  const double ratio = total != 0 ? static_cast<double>(received) / static_cast<double>(total) : 0;
  return FormatNumber(ratio * 100, "##0%") + " of " + file + " Completed";
}

std::string TimeLabelText(float timeLeft, std::int64_t received, std::int64_t total) {
  return FormatTime(timeLeft) + " (" + FormatFileSize(static_cast<double>(received)) + " of " +
         FormatFileSize(static_cast<double>(total)) + " copied)";
}

std::string RateLabelText(float bytesPerSecond) {
  return FormatFileSize(bytesPerSecond, "###.0") + "/Sec";
}

}  // namespace vt
