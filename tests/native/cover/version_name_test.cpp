#include <gtest/gtest.h>

#include <string>

#include "cover/misc.h"

namespace {

struct Row {
  unsigned long platform, major, minor, build;
  const char* name;
  const char* why;
};

// 95-family build numbers carry major.minor in their high word, as GetVersionExA
// reports them there.
constexpr unsigned long k95 = 0x04000000ul;
constexpr unsigned long k98 = 0x040A0000ul;

const Row kRows[] = {
    {1, 4, 0, 950, "Windows 95", "first 95 release"},
    {1, 4, 0, k95 | 950, "Windows 95", "high word of the build is not part of the build"},
    {1, 4, 0, 951, "Windows 95 SP1", "any other 95 build below OSR2 is the service pack"},
    {1, 4, 0, 1079, "Windows 95 SP1", "last build before the OSR2 bound"},
    {1, 4, 0, 1080, "Windows 95 OSR2", "OSR2 bound itself"},
    {1, 4, 0, k95 | 1111, "Windows 95 OSR2", "OSR2 as shipped"},
    {1, 4, 0, 1214, "Windows 95 OSR2", "OSR2.5"},
    {1, 4, 9, 1998, "Windows 95 OSR2", "minor below 10 is 95 even with the 98 build"},
    {1, 4, 10, 1998, "Windows 98", "first 98 release"},
    {1, 4, 10, k98 | 1998, "Windows 98", "high word ignored for 98 too"},
    {1, 4, 10, 2000, "Windows 98 SP1", "98 build below the SE bound"},
    {1, 4, 10, 2182, "Windows 98 SP1", "last build before the SE bound"},
    {1, 4, 10, 2183, "Windows 98 SE", "SE bound itself"},
    {1, 4, 10, 2222, "Windows 98 SE", "SE as shipped"},
    {1, 4, 10, 950, "Windows 98 SP1", "the 95 build number on minor 10 is not 95"},
    {1, 4, 11, 1998, "Windows ME", "minor above 10, whatever the build"},
    {1, 4, 90, 3000, "Windows ME", "ME as shipped"},
    {2, 3, 51, 1057, "Windows NT 3.51", "NT major 3"},
    {2, 4, 0, 1381, "Windows NT 4.0", "NT major 4"},
    {2, 5, 0, 2195, "Windows 2000", "major 5 minor 0: layered cover"},
    {2, 5, 1, 2600, "Windows XP", "major 5 minor 1: layered cover"},
    {2, 5, 2, 3790, "Windows XP", "minor 1 or more stays XP (Server 2003, XP x64)"},
    {2, 6, 0, 6000, "", "major 6 has no name: region-shaped cover"},
    {2, 6, 1, 7601, "", "what Wine reports by default"},
    {2, 10, 0, 19045, "", "any later major"},
    {2, 2, 0, 0, "", "a major below 3 is no known NT either"},
    {3, 1, 0, 0, "Windows CE 1.0", "CE major 1"},
    {3, 2, 0, 0, "Windows CE 2.0", "CE major 2 minor 0"},
    {3, 2, 11, 0, "Windows CE 2.1", "CE major 2, any other minor"},
    {3, 3, 0, 0, "Windows CE 3.0", "CE major 3"},
    {3, 5, 0, 0, "Windows CE 3.0", "every other CE major"},
    {0, 3, 10, 0, "Unable To get Windows Version", "Win32s (platform 0)"},
    {4, 5, 1, 2600, "Unable To get Windows Version", "unknown platform, even with XP numbers"},
};

TEST(WindowsVersionName, EveryRowOfTheTable) {
  for (const Row& r : kRows) {
    EXPECT_EQ(vt::WindowsVersionName(r.platform, r.major, r.minor, r.build), r.name)
        << "platform " << r.platform << ' ' << r.major << '.' << r.minor << '.' << r.build << ": "
        << r.why;
  }
}

}  // namespace
