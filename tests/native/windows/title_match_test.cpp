#include "windows/title_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reference_match.h"

namespace vt {
namespace {

using ::testing::PrintToString;  // quotes and escapes high bytes

// Every pattern with every title, so each case meets all the others too.
TEST(TitleMatches, AgreesWithTheReferenceMatcher) {
  const std::string ie = " - Microsoft Internet Explorer";
  std::vector<std::string> patterns = {"Page#", "#",   "[#]",        "a[]b",     "[!a-z]", "[A-Z]",
                                       "[a-]",  "[[]", "\\\\\\ Cam", "[ -\xFF]", "*a?*",   "",
                                       "*",     "[",   "[abc",       "a[",       "[!",     "[a-",
                                       "*[",    "][",  "[z-a]",      "ok*[9-0]", "[!b-a]", "*[]["};
  std::vector<std::string> titles = {"",     "a",   "A",     "ab",    "#",    "-",         "[",
                                     "[abc", "ok9", "Page1", "Page9", "\xFF", "\\\\\\ Cam"};
  patterns.insert(patterns.end(), {"Ad" + ie, "*Advertisement*" + ie});
  titles.insert(titles.end(),
                {"Ad" + ie, "AD - MICROSOFT INTERNET EXPLORER", "Advertisement" + ie});
  for (const auto& p : patterns) {
    EXPECT_EQ(IsMalformedPattern(p), !ref::Parse(p)) << PrintToString(p);
    for (const auto& t : titles)
      EXPECT_EQ(TitleMatches(t, p), ref::Matches(t, p)) << PrintToString(t) << " vs " << p;
  }
}

// Exponential backtracking would never finish these; the test's timeout is the guard.
TEST(TitleMatches, StarHeavyPatternsFinish) {
  std::string stars;
  for (int i = 0; i < 40; ++i) stars += "*a";
  const std::string a1000(1000, 'a');
  EXPECT_FALSE(TitleMatches(a1000, stars + "*b"));
  EXPECT_TRUE(TitleMatches(a1000 + "b", stars + "*b"));
  EXPECT_TRUE(TitleMatches(std::string(5000, 'x'), std::string(3000, '*')));
}

}  // namespace
}  // namespace vt
