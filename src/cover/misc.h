// Naming the running system, as the cover needs to choose between layering
// and a window region.
#pragma once

#include <string>

namespace vt {

// Maps the numbers of GetVersionExA to a system name; no Win32 calls, so it
// can be checked row by row on any host.
std::string WindowsVersionName(unsigned long platformId, unsigned long major, unsigned long minor,
                               unsigned long build);

// The name of the system this process runs on ("Windows XP", "" for NT 6 and
// later, ...).
std::string GetWindowsVersionName();

}  // namespace vt
