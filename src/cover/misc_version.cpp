#include "cover/misc.h"

namespace vt {
namespace {

// OSVERSIONINFO platform ids.
constexpr unsigned long kPlatform9x = 1;
constexpr unsigned long kPlatformNt = 2;
constexpr unsigned long kPlatformCe = 3;

// Minor version 10 is Windows 98; below it is 95, above it ME.
constexpr unsigned long kMinor98 = 10;
constexpr unsigned long kBuild95 = 950;
constexpr unsigned long kBuild98 = 1998;
// The later releases carry higher builds: OSR2 shipped as 1111 (OSR2.x up to
// 1214), 98 SE as 2222. Anything between the first release and these bounds
// is taken for a service pack.
constexpr unsigned long kFirstBuild95Osr2 = 1080;
constexpr unsigned long kFirstBuild98Se = 2183;

std::string Name9x(unsigned long minor, unsigned long build) {
  // The 95 family keeps major and minor in the high word of the build number.
  const unsigned long b = build & 0xFFFFu;
  if (minor < kMinor98) {
    if (b == kBuild95) return "Windows 95";
    return b < kFirstBuild95Osr2 ? "Windows 95 SP1" : "Windows 95 OSR2";
  }
  if (minor == kMinor98) {
    if (b == kBuild98) return "Windows 98";
    return b < kFirstBuild98Se ? "Windows 98 SP1" : "Windows 98 SE";
  }
  return "Windows ME";
}

std::string NameNt(unsigned long major, unsigned long minor) {
  switch (major) {
    case 3:
      return "Windows NT 3.51";
    case 4:
      return "Windows NT 4.0";
    case 5:
      return minor == 0 ? "Windows 2000" : "Windows XP";
    default:
      return "";  // later systems have no name here: the cover falls back to a region
  }
}

std::string NameCe(unsigned long major, unsigned long minor) {
  if (major == 1) return "Windows CE 1.0";
  if (major == 2) return minor == 0 ? "Windows CE 2.0" : "Windows CE 2.1";
  return "Windows CE 3.0";
}

}  // namespace

std::string WindowsVersionName(unsigned long platformId, unsigned long major, unsigned long minor,
                               unsigned long build) {
  switch (platformId) {
    case kPlatform9x:
      return Name9x(minor, build);
    case kPlatformNt:
      return NameNt(major, minor);
    case kPlatformCe:
      return NameCe(major, minor);
    default:
      return "Unable To get Windows Version";
  }
}

}  // namespace vt
