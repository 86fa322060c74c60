#include "settings/text_convert.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace {

TEST(TextConvert, LeadingNumber) {
  const std::tuple<const char*, double, const char*> rows[] = {
      {"abc12", 0, "no number at the start"},
      {"2.5", 2.5, "a fraction (a count of two and a half)"},
      {" \t-3", -3, "leading blanks, a sign"},
      {"+2", 2, "a plus sign"},
      {"3E-1z", 0.3, "an exponent; letters after the number end it"},
      {"1e999", 0, "beyond a double"},
  };
  for (auto [text, want, reason] : rows)
    EXPECT_DOUBLE_EQ(vt::LeadingNumber(text), want) << '"' << text << "\": " << reason;
}

TEST(TextConvert, Booleans) {
  // want: 1 true, 0 false, -1 the fallback, whichever it is.
  const std::tuple<const char*, int, const char*> rows[] = {
      {"FALSE", 0, "in any letter case"},
      {" tRuE ", 1, "the program's own word, with blanks around"},
      {"0.5", 1, "any other number, a fraction too"},
      {"0e5", 0, "zero, with an exponent too"},
      {"0E5", 0, "an upper-case exponent: digits after it are no mantissa"},
      {"+0", 0, "a signed zero"},
      {"1e999", 1, "not zero, even beyond a double"},
      {"", -1, "empty text is no Boolean"},
      {"Truex", -1, "nor is more than the word"},
      {"1x", -1, "nor a number with letters after it"},
      {"2e", -1, "an exponent letter without digits is a letter"},
  };
  for (auto [text, want, reason] : rows)
    for (bool fallback : {false, true})
      EXPECT_EQ(vt::TextToBoolean(text, fallback), want < 0 ? fallback : want == 1)
          << '"' << text << "\" fallback " << fallback << ": " << reason;
  // Start with Windows is on only for exactly "True".
  EXPECT_TRUE(vt::IsExactlyTrue("True"));
  for (const char* text : {"true", "TRUE", "1", " True"}) EXPECT_FALSE(vt::IsExactlyTrue(text));
}

TEST(TextConvert, WholeNumberText) {
  const std::tuple<double, const char*, const char*> rows[] = {
      {-0.4, "0", "rounds to zero, with no \"-0\""},
      {-2.5, "-3", "halves round away from zero, the sign stays"},
      {1e16, "10000000000000000", "no \".0\", no exponent form"},
      {std::numeric_limits<double>::quiet_NaN(), "0", "not a number"},
      {std::numeric_limits<double>::infinity(), "0", "infinite"},
  };
  for (auto [value, want, reason] : rows)
    EXPECT_EQ(vt::WholeNumberText(value), want) << value << ": " << reason;
  EXPECT_EQ(vt::LeadingNumber(vt::WholeNumberText(1.7e308)), 1.7e308) << "every digit is written";
}

}  // namespace
