// The registry layout: where the program keeps its values, their names and
// the defaults every reader assumes. All under HKEY_CURRENT_USER.
#pragma once

#include <string>

namespace vt {

// "Software\<CompanyName>\<ProductName>", both names taken from the exe's own
// version information, read once per process.
std::string ProductKey();
std::string SettingsKey();  // ProductKey() + "\Settings"
std::string ListKey();      // ProductKey() + "\List"

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Vel-Tarrow";

// A value of the Settings key and the text a reader takes when it is missing.
struct Setting {
  const char* name;
  const char* defaultValue;
};

namespace settings {
inline constexpr Setting kTime{"Time", "2"};                             // scan period, seconds
inline constexpr Setting kCover{"Cover", "True"};                        // text-to-Boolean
inline constexpr Setting kCloseNow{"CloseNow", "False"};                 // text-to-Boolean
inline constexpr Setting kStartWithWindows{"StartWithWindows", "True"};  // on only for "True"
inline constexpr Setting kClosed{"Closed", "0"};                         // leading number
// Where the update check reads its manifest instead of the address the build
// carries; set by administrators and tests, never written by the program.
inline constexpr Setting kUpdateUrl{"UpdateURL", ""};
}  // namespace settings

// Settings key, HKEY_CURRENT_USER, the table's default.
std::string ReadSetting(const Setting& s);
bool WriteSetting(const Setting& s, const std::string& value);
bool DeleteSetting(const Setting& s);

// The full path of the running program file, however long: the buffer grows
// from `firstBuffer` characters until the path fits.
std::string ProgramFilePath(std::size_t firstBuffer = 260);

}  // namespace vt
