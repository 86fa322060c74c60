#include "settings/text_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct NumberRow {
  const char* text;
  double want;
  const char* reason;
};

TEST(LeadingNumber, Table) {
  const NumberRow rows[] = {
      {"12", 12, "plain whole number"},
      {"12abc", 12, "letters after the number end it"},
      {"12 apples", 12, "a blank after the number ends it"},
      {"abc12", 0, "a leading letter means no number"},
      {"", 0, "empty text"},
      {"2.5", 2.5, "fraction (a count of two and a half)"},
      {".5", 0.5, "fraction without whole part"},
      {"7.", 7, "trailing point"},
      {"  \t42", 42, "leading blanks skipped"},
      {"-3", -3, "sign"},
      {"+8x", 8, "plus sign"},
      {"-", 0, "sign alone is no number"},
      {".", 0, "point alone is no number"},
      {"1e3", 1000, "exponent"},
      {"2e", 2, "exponent letter without digits is just a letter"},
      {"3E-1z", 0.3, "negative exponent, then letters"},
      {"1.2.3", 1.2, "second point ends the number"},
      {"1,5", 1, "comma is not a decimal point in any locale"},
      {"1e999", 0, "beyond a double: no usable number"},
      {"123456789012345678", 123456789012345678.0, "counts beyond 32 bits"},
  };
  for (const NumberRow& r : rows) {
    EXPECT_DOUBLE_EQ(vt::LeadingNumber(r.text), r.want) << '"' << r.text << "\": " << r.reason;
  }
}

TEST(LeadingNumber, StopsAtEmbeddedNul) {
  const std::string text(
      "5\0"
      "9",
      3);
  EXPECT_EQ(vt::LeadingNumber(text), 5) << "an embedded NUL ends the number like any letter";
}

struct BoolRow {
  const char* text;
  bool fallback;
  bool want;
  const char* reason;
};

TEST(TextToBoolean, Table) {
  const BoolRow rows[] = {
      {"True", false, true, "the program's own word"},
      {"False", true, false, "the program's own word"},
      {"true", false, true, "any letter case"},
      {"FALSE", true, false, "any letter case"},
      {"tRuE", false, true, "mixed case"},
      {" True ", false, true, "blanks around"},
      {"0", true, false, "zero is false"},
      {"1", false, true, "non-zero number"},
      {"-1", false, true, "the classic True value"},
      {"0.0", true, false, "zero with a fraction"},
      {"0.5", false, true, "a fraction is non-zero"},
      {"1e999", false, true, "non-zero even when a double overflows"},
      {"0e5", true, false, "zero with an exponent"},
      {"", true, true, "empty: the fallback"},
      {"", false, false, "empty: the fallback, either way"},
      {"yes", false, false, "other word: the fallback"},
      {"yes", true, true, "other word: the fallback"},
      {"Truex", false, false, "prefix of a word is not the word"},
      {"Tru", true, true, "part of a word is not the word"},
      {"1x", false, false, "number followed by letters is not a number"},
      {"1x", true, true, "number followed by letters is not a number"},
  };
  for (const BoolRow& r : rows) {
    EXPECT_EQ(vt::TextToBoolean(r.text, r.fallback), r.want)
        << '"' << r.text << "\" fallback " << r.fallback << ": " << r.reason;
  }
}

struct WholeRow {
  double value;
  const char* want;
  const char* reason;
};

TEST(WholeNumberText, Table) {
  const WholeRow rows[] = {
      {12, "12", "no \".0\""},
      {0, "0", "zero"},
      {-0.0, "0", "no \"-0\""},
      {-0.4, "0", "rounds to zero without a sign"},
      {2.5, "3", "rounds half away from zero"},
      {1e16, "10000000000000000", "no exponent form"},
      {4294967296.0, "4294967296", "beyond 32 bits"},
      {-7, "-7", "negative"},
      {std::numeric_limits<double>::quiet_NaN(), "0", "not a number"},
      {std::numeric_limits<double>::infinity(), "0", "infinite"},
  };
  for (const WholeRow& r : rows) {
    EXPECT_EQ(vt::WholeNumberText(r.value), r.want) << r.value << ": " << r.reason;
  }
}

TEST(WholeNumberText, ReadsBackThroughLeadingNumber) {
  // The "Closed" count goes out as text and comes back at the next start.
  for (double v : {0.0, 1.0, 99.0, 123456789.0, 9007199254740992.0, 1.7e308}) {
    EXPECT_EQ(vt::LeadingNumber(vt::WholeNumberText(v)), v) << v;
  }
}

}  // namespace
