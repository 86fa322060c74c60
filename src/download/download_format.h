// Text shown by the download dialog: sizes, times, shortened paths, the
// caption, and the path helpers. Pure code.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vt {

// Sizes in bands of 1024: "512 bytes", "3 KB", "1.5 MB", "2.0 GB". Below 0
// and between bands (1023 < size < 1024, 1048575 < size < 1048576) give "".
// pattern: "###0", "###0.0", "###.0"...; empty selects the band's default.
std::string FormatFileSize(double size, const std::string& pattern = "");

// "42 sec", "5 min 7 sec", "1 hr 5 min"; "unknown" when there is no number.
std::string FormatTime(float seconds);

// A number in a pattern of '#', '0' and one '.', with any literal text
// after it ("##0%"); halves round away from zero.
std::string FormatNumber(double value, const std::string& pattern);

// Shortens text to first N + "..." + last N characters until measure(text)
// fits in available; N starts at half the length less 2 and never goes below 4.
std::string FitText(std::string text, int available,
                    const std::function<int(const std::string&)>& measure);

// The part after the last separator ("/" for a URL, else "\") when returnFile
// is set, else the part up to and including it; the path itself when it has none.
std::string ReturnFileOrFolder(const std::string& fullPath, bool returnFile, bool isURL = false);

// The path with one trailing "\".
std::string QualifyPath(const std::string& path);

// "42% of setup.exe Completed".
std::string ProgressCaption(std::int64_t received, std::int64_t total, const std::string& file);

// "2 min 10 sec (512 KB of 1.5 MB copied)" and "12.3 KB/Sec".
std::string TimeLabelText(float timeLeft, std::int64_t received, std::int64_t total);
std::string RateLabelText(float bytesPerSecond);

}  // namespace vt
