#include <gtest/gtest.h>

#include "cover/misc.h"

// Only "Windows 2000" and "Windows XP" choose the layered cover: no other family may take them.
TEST(WindowsVersionName, OnlyTwoThousandAndXpNamesChooseTheLayeredCover) {
  const struct {
    unsigned long platform, major, minor, build;
    const char *name, *why;
  } rows[] = {
      {2, 5, 0, 2195, "Windows 2000", "major 5 minor 0: layered cover"},
      {2, 5, 2, 3790, "Windows XP", "any minor above 0 is XP: layered cover"},
      {2, 6, 1, 7601, "", "any other major (Wine's default): frame cover"},
      {3, 5, 0, 0, "Windows CE 3.0", "any other CE major"},
      {0, 5, 1, 2600, "Unable To get Windows Version", "other platform, even with XP numbers"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(vt::WindowsVersionName(r.platform, r.major, r.minor, r.build), r.name) << r.why;
}
