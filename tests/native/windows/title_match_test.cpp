#include "windows/title_match.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "reference_match.h"

namespace {

using vt::IsMalformedPattern;
using vt::TitleMatches;

const std::string kIe = " - Microsoft Internet Explorer";

// Printable form of a title or pattern for failure messages.
std::string Show(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

struct Case {
  std::string title;
  std::string pattern;
  bool match;
  const char* why;
};

void RunTable(const std::vector<Case>& table) {
  for (const Case& c : table) {
    EXPECT_EQ(TitleMatches(c.title, c.pattern), c.match)
        << "title " << Show(c.title) << " pattern " << Show(c.pattern) << ": " << c.why;
  }
}

TEST(TitleMatches, WholeTitleAndLetterCase) {
  RunTable({
      {"Ad" + kIe, "Ad" + kIe, true, "a plain pattern matches its own text"},
      {"AD - MICROSOFT INTERNET EXPLORER", "Ad" + kIe, false, "letter case is significant"},
      {"Ad" + kIe + " ", "Ad" + kIe, false, "no implicit star at the end"},
      {"Bad" + kIe, "Ad" + kIe, false, "no implicit star at the start"},
      {"Ad", "Ad" + kIe, false, "the whole pattern must be used up"},
      {"", "", true, "empty pattern, empty title"},
      {"x", "", false, "an empty pattern matches nothing else"},
      {"", "*", true, "a star takes the empty run"},
      {"", "?", false, "'?' needs a character"},
      {"a", "A", false, "no case folding of single letters"},
      {"a", "[A-Z]", false, "ranges compare codes, upper case range has no 'a'"},
  });
}

TEST(TitleMatches, StarsAndSingleCharacters) {
  const std::string adv = "*Advertisement*" + kIe;
  RunTable({
      {"Advertisement" + kIe, adv, true, "title begins with the word: both stars empty"},
      {"Free Advertisement Offer" + kIe, adv, true, "both stars take text"},
      {"Advertisement" + kIe + kIe, adv, true, "second star must take a copy of the suffix"},
      {"Advertisement", adv, false, "the suffix is required"},
      {"advertisement" + kIe, adv, false, "the literal inside stars keeps its case"},
      {"Advertisement" + kIe + "!", adv, false, "nothing may follow the suffix"},
      {"abcbc", "*bc", true, "star must give back after the first 'bc'"},
      {"aaa", "a*a*a*a", false, "four a's needed, three present"},
      {"ab", "a?", true, "'?' takes one character"},
      {"abc", "a?", false, "'?' takes no more than one"},
      {"x*y", "x?y", true, "'?' takes a literal star"},
  });
}

TEST(TitleMatches, DigitWildcard) {
  RunTable({
      {"Page1", "Page#", true, "one digit"},
      {"Page12", "Page#", false, "'#' is one digit, not a number"},
      {"Page12", "Page##", true, "one '#' per digit"},
      {"PageX", "Page#", false, "letters are not digits"},
      {"Page/", "Page#", false, "'/' is the code just below '0'"},
      {"Page:", "Page#", false, "':' is the code just above '9'"},
      {"Page:2", "Page#*", false, "':' is no digit before a star either"},
      {"Page/2", "Page#*", false, "'/' is no digit before a star either"},
      {"#", "#", false, "'#' in a pattern is never a literal"},
      {"#", "[#]", true, "inside a group '#' is literal"},
  });
}

TEST(TitleMatches, Groups) {
  RunTable({
      {"1", "[!a-z]", true, "a digit is outside a-z"},
      {"A", "[!a-z]", true, "upper case is outside the lower-case range"},
      {"a", "[!a-z]", false, "lower end of the range is included"},
      {"z", "[!a-z]", false, "upper end of the range is included"},
      {"12", "[!a-z]", false, "a negated group still takes one character"},
      {"", "[!a-z]", false, "a negated group needs a character"},
      {"a", "[a-]", true, "letter of [a-]"},
      {"-", "[a-]", true, "a trailing '-' is literal"},
      {"b", "[a-]", false, "a trailing '-' does not open a range"},
      {"-", "[-a]", true, "a leading '-' is literal"},
      {"-", "[!-a]", false, "a '-' right after '!' is a member"},
      {"b", "[a-cx]", true, "range followed by a single character"},
      {"x", "[a-cx]", true, "single character after a range"},
      {"d", "[a-cx]", false, "nothing beyond the range end"},
      {"*", "[*]", true, "star inside a group is itself"},
      {"x", "[*]", false, "star inside a group is no wildcard"},
      {"?", "[?]", true, "'?' inside a group is itself"},
      {"x", "[?]", false, "'?' inside a group is no wildcard"},
      {"[", "[[]", true, "'[' inside a group is itself"},
      {"!", "[!!]", false, "second '!' is a member of a negated group"},
      {"ab", "a[]b", true, "[] consumes nothing"},
      {"axb", "a[]b", false, "[] does not consume a character"},
      {"", "[]", true, "[] alone matches the empty title"},
      {"x", "[!]", true, "[!] is any one character"},
      {"", "[!]", false, "[!] still needs a character"},
      {"]", "[]]", true, "[] then a literal ']'"},
      {"Alert!", "Alert!", true, "'!' outside a group is literal"},
      {"a]", "a]", true, "']' outside a group is literal"},
  });
}

TEST(TitleMatches, HighBytes) {
  RunTable({
      {"\xA0" + kIe, "\xA0" + kIe, true, "0xA0 is an ordinary character"},
      {" " + kIe, "\xA0" + kIe, false, "0xA0 is not a space"},
      {kIe, "\xA0" + kIe, false, "0xA0 is not optional"},
      {"\xA0", "?", true, "a high byte is one character"},
      {"\xA0", "#", false, "a high byte is no digit"},
      {"a", "[ -\xFF]", true, "range end 0xFF compares unsigned, not as -1"},
      {"\xE9", "[\x80-\xFF]", true, "high range holds 0xE9"},
      {"e", "[!\x80-\xFF]", true, "ASCII outside a high range"},
  });
}

TEST(TitleMatches, DefaultPatterns) {
  const std::string cam = "\\\\\\ Amazing Wireless Camera ////" + kIe;
  const std::string site = "http://ads.prize-parade.example/*";
  RunTable({
      {"Hot XCam2 Deals" + kIe, "*XCam2*" + kIe, true, "stars around a word"},
      {cam, cam, true, "backslashes are literal, not escapes"},
      {"\\\\ Amazing Wireless Camera ////" + kIe, cam, false, "two backslashes are not three"},
      {"- -" + kIe, "- -" + kIe, true, "'-' outside a group is literal"},
      {"Alert! Very Important Message" + kIe, "Alert! Very Important Message" + kIe, true,
       "'!' outside a group is literal"},
      {"http://ads.prize-parade.example/", site, true, "trailing star takes nothing"},
      {"http://ads.prize-parade.example/win/now.html?id=7", site, true, "any page on the host"},
      {"http://ads.prize-parade.example", site, false, "the slash is required"},
      {"http://ads.prize-parade.example.net/x", site, false, "another host"},
  });
}

TEST(TitleMatches, MalformedPatternsMatchNothing) {
  const char* malformed[] = {"[", "[abc", "a[", "[!", "[a-", "*[", "][", "[z-a]",
                             "ok*[9-0]", "[a-z][", "[!b-a]", "*[]["};
  const char* titles[] = {"", "a", "z", "[", "[abc", "ok9", "anything at all"};
  for (const char* p : malformed) {
    EXPECT_TRUE(IsMalformedPattern(p)) << Show(p);
    EXPECT_FALSE(TitleMatches(p, p)) << Show(p) << " matched its own text";
    for (const char* t : titles) EXPECT_FALSE(TitleMatches(t, p)) << Show(t) << " vs " << Show(p);
  }
  // Near misses that are well formed.
  for (const char* p : {"]", "[]", "[!]", "[a-]", "[-]", "[a-a]", "[[]", "a-z", "[]]"}) {
    EXPECT_FALSE(IsMalformedPattern(p)) << Show(p);
  }
}

// Exponential backtracking would never finish these; the test's timeout is the guard.
TEST(TitleMatches, StarHeavyPatternsFinish) {
  std::string stars;
  for (int i = 0; i < 40; ++i) stars += "*a";
  stars += "*b";
  const std::string a1000(1000, 'a');
  EXPECT_FALSE(TitleMatches(a1000, stars));
  EXPECT_TRUE(TitleMatches(a1000 + "b", stars));
  EXPECT_FALSE(TitleMatches(a1000 + "b", stars + "["));

  const std::string a100(100, 'a');
  EXPECT_FALSE(TitleMatches(a100, "a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(TitleMatches(a100 + "b", "a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(TitleMatches(std::string(5000, 'x'), std::string(3000, '*')));
}

// Random patterns and titles over a small alphabet, checked against the plain
// reference matcher.
TEST(TitleMatches, AgreesWithReference) {
  constexpr unsigned kSeed = 20240611;
  constexpr int kRounds = 100000;
  std::mt19937 rng(kSeed);
  const std::string pattern_chars = "*?#[]!-ab0z9\xA0";
  const std::string title_chars = "ab0z9:/-!]*\xA0";
  auto pick = [&](const std::string& from) { return from[rng() % from.size()]; };

  int matched = 0, malformed = 0, failures = 0;
  for (int round = 0; round < kRounds && failures < 10; ++round) {
    std::string title, pattern;
    const int tlen = static_cast<int>(rng() % 11);
    for (int i = 0; i < tlen; ++i) title += pick(title_chars);
    if (rng() % 2) {
      const int plen = static_cast<int>(rng() % 11);
      for (int i = 0; i < plen; ++i) pattern += pick(pattern_chars);
    } else {
      // Derive the pattern from the title so that a good share match.
      for (char c : title) {
        switch (rng() % 8) {
          case 0: pattern += '?'; break;
          case 1: pattern += '#'; break;
          case 2: pattern += '*'; break;
          case 3: pattern += std::string("[") + c + "-z]"; break;
          case 4: pattern += std::string("[!") + pick(title_chars) + "]"; break;
          case 5: pattern += "[]"; pattern += c; break;
          default: pattern += c; break;
        }
      }
      if (!pattern.empty() && rng() % 4 == 0) pattern[rng() % pattern.size()] = pick(pattern_chars);
    }
    const bool want = vt::ref::Matches(title, pattern);
    const bool want_malformed = !vt::ref::Parse(pattern).has_value();
    const bool got = TitleMatches(title, pattern);
    matched += want;
    malformed += want_malformed;
    if (got != want || IsMalformedPattern(pattern) != want_malformed) {
      ++failures;
      ADD_FAILURE() << "seed " << kSeed << " round " << round << ": title " << Show(title)
                    << " pattern " << Show(pattern) << " reference " << want << " got " << got;
    }
  }
  // A generator that never (or always) matches would make this test empty.
  EXPECT_GT(matched, kRounds / 10) << "seed " << kSeed;
  EXPECT_GT(malformed, kRounds / 50) << "seed " << kSeed;
  EXPECT_LT(matched + malformed, kRounds * 9 / 10) << "seed " << kSeed;
}

}  // namespace
