#include <gtest/gtest.h>

#include "cover/misc.h"

// GetVersionExA's numbers to names. Only "Windows 2000" and "Windows XP" change
// what the program does (the layered cover); the other rows keep their families apart.
TEST(WindowsVersionName, EveryRowOfTheTable) {
  const struct {
    unsigned long platform, major, minor, build;
    const char *name, *why;
  } rows[] = {
      {1, 4, 0, 0x04000000ul | 950, "Windows 95", "build 950, major.minor in the high word"},
      {1, 4, 10, 0x040A0000ul | 1998, "Windows 98", "minor 10, build 1998, high word too"},
      {1, 4, 11, 1998, "Windows ME", "minor above 10, whatever the build"},
      {2, 4, 0, 1381, "Windows NT 4.0", "NT major 4"},
      {2, 5, 0, 2195, "Windows 2000", "major 5 minor 0: layered cover"},
      {2, 5, 2, 3790, "Windows XP", "any minor above 0 is XP: layered cover"},
      {2, 6, 1, 7601, "", "any other major (Wine's default): frame cover"},
      {3, 5, 0, 0, "Windows CE 3.0", "any other CE major"},
      {0, 5, 1, 2600, "Unable To get Windows Version", "other platform, even with XP numbers"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(vt::WindowsVersionName(r.platform, r.major, r.minor, r.build), r.name) << r.why;
}
