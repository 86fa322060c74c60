#include "windows/title_match.h"

#include <gtest/gtest.h>

namespace {
TEST(TitleMatches, Smoke) {
  EXPECT_TRUE(vt::TitleMatches("Ad - Microsoft Internet Explorer", "Ad - Microsoft Internet Explorer"));
  EXPECT_FALSE(vt::TitleMatches("AD - MICROSOFT INTERNET EXPLORER", "Ad - Microsoft Internet Explorer"));
}
}  // namespace
