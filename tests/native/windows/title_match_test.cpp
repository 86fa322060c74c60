// The wildcard rule. The differential test
// covers the group grammar over its small alphabet; the table keeps the edge
// cases of the rule and what that alphabet cannot reach (upper case, '[',
// '#', '\\' and 0xFF in titles).
#include "windows/title_match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "reference_match.h"

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

// Random patterns and titles over a small alphabet, against the reference.
TEST(TitleMatches, AgreesWithReference) {
  constexpr int kRounds = 100000;
  std::mt19937 rng(20240611);
  auto pick = [&](const char* from) { return from[rng() % std::strlen(from)]; };
  const char *pattern_chars = "*?#[]!-ab0z9\xA0", *title_chars = "ab0z9:/-!]*\xA0";
  int matched = 0, malformed = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::string title, pattern;
    for (int i = rng() % 11; i > 0; --i) title += pick(title_chars);
    for (int i = rng() % 2 ? rng() % 11 : 0; i > 0; --i) pattern += pick(pattern_chars);
    if (pattern.empty()) {  // derived from the title, so that a good share match
      for (char c : title) {
        const std::string one(1, c), any = "[!" + std::string(1, pick(title_chars)) + "]";
        const std::string piece[] = {"?", "#", "*", "[" + one + "-z]", any, "[]" + one, one};
        pattern += piece[std::min<unsigned>(rng() % 8, 6)];
      }
      if (!pattern.empty() && rng() % 4 == 0) pattern[rng() % pattern.size()] = pick(pattern_chars);
    }
    const bool want = ref::Matches(title, pattern), bad = !ref::Parse(pattern);
    matched += want;
    malformed += bad;
    ASSERT_TRUE(TitleMatches(title, pattern) == want && IsMalformedPattern(pattern) == bad)
        << PrintToString(title) << " vs " << PrintToString(pattern) << ": reference " << want
        << (bad ? ", malformed" : "");
  }
  // A generator that never (or always) matches would make this test empty.
  EXPECT_GT(matched, kRounds / 10);
  EXPECT_GT(malformed, kRounds / 50);
  EXPECT_LT(matched + malformed, kRounds * 9 / 10);
}

}  // namespace
}  // namespace vt
