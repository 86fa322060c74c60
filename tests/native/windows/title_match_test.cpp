// The wildcard rule: its edge cases. The fuzz target compares it with the
// reference matcher over random patterns.
#include "windows/title_match.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vt {
namespace {

using ::testing::PrintToString;  // quotes and escapes high bytes

TEST(TitleMatches, EdgeCases) {
  const std::string ie = " - Microsoft Internet Explorer", adv = "*Advertisement*" + ie;
  const std::tuple<std::string, std::string, bool, const char*> rows[] = {
      {"Ad" + ie, "Ad" + ie, true, "a plain pattern matches its own text"},
      {"AD - MICROSOFT INTERNET EXPLORER", "Ad" + ie, false, "letter case is significant"},
      {"Advertisement" + ie, adv, true, "title begins with the word: both stars empty"},
      {"Page1", "Page#", true, "one digit"},
      {"#", "#", false, "'#' in a pattern is never a literal"},
      {"#", "[#]", true, "inside a group '#' is literal"},
      {"ab", "a[]b", true, "an empty group consumes nothing"},
      {"A", "[!a-z]", true, "upper case is outside the lower-case range"},
      {"a", "[A-Z]", false, "ranges compare codes: no case folding"},
      {"-", "[a-]", true, "a trailing '-' is literal"},
      {"[", "[[]", true, "'[' inside a group is itself"},
      {"\\\\\\ Cam", "\\\\\\ Cam", true, "backslashes are literal, not escapes"},
      {"a", "[ -\xFF]", true, "range end 0xFF compares unsigned, not as -1"},
  };
  for (const auto& [title, pattern, match, why] : rows) {
    EXPECT_EQ(TitleMatches(title, pattern), match)
        << PrintToString(title) << " vs " << PrintToString(pattern) << ": " << why;
  }
}

TEST(TitleMatches, MalformedPatternsMatchNothing) {
  for (const char* p :
       {"[", "[abc", "a[", "[!", "[a-", "*[", "][", "[z-a]", "ok*[9-0]", "[!b-a]", "*[]["}) {
    EXPECT_TRUE(IsMalformedPattern(p)) << p;
    for (const char* t : {"", "a", "[", "[abc", "ok9", p}) EXPECT_FALSE(TitleMatches(t, p)) << t;
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
