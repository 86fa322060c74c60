#include <windows.h>

#include "cover/misc.h"

namespace vt {

std::string GetWindowsVersionName() {
  // The ANSI record: 148 bytes with the service-pack text, which we don't use.
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but the numbers are what we want
#endif
  if (!GetVersionExA(&info)) info.dwPlatformId = 0;  // falls to the "unable" name
  return WindowsVersionName(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                            info.dwBuildNumber);
}

}  // namespace vt
