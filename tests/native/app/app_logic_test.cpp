#include "app/form_position.h"
#include "app/run_command.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vt {
namespace {

// A 1024x768 screen at 15 twips per pixel and the main window's fixed size.
constexpr double kScreenW = 15360, kScreenH = 11520;
constexpr double kW = 5535, kH = 6615;
constexpr double kCentredTop = kScreenH / 2 - kH / 2;   // 2452.5
constexpr double kCentredLeft = kScreenW / 2 - kW / 2;  // 4912.5

TEST(CorrectFormPosition, EachDirectionIsCorrectedOnItsOwn) {
  // Stored top and left; the placement; corrected (written back); why.
  const std::tuple<const char*, const char*, double, double, bool, const char*> rows[] = {
      {"0", "0", 0, 0, false, "a position on the screen is kept, 0 included"},
      {"-200", "3000", kCentredTop, 3000, true, "a negative top centres vertically only"},
      {"1500", "15261", 1500, kCentredLeft, true, "left beyond width - 100 centres, top kept"},
      {"1500", "15260", 1500, 15260, false, "left exactly at width - 100 is still on screen"},
      {"11421", "3000", kCentredTop, 3000, true, "top beyond height - 100 centres"},
      {"11420", "3000", 11420, 3000, false, "top exactly at height - 100 is kept"},
      {"abc", "3000", kCentredTop, 3000, true, "text that is no number centres and is rewritten"},
      {"12px", "-1", kCentredTop, kCentredLeft, true, "letters after a number; a negative left"},
      {" 1500 ", "3000", 1500, 3000, false, "blanks around a number are allowed"},
      {"1500", "1e400", 1500, kCentredLeft, true, "too large for a double centres"},
  };
  for (auto [top, left, wantTop, wantLeft, corrected, why] : rows) {
    const FormPlacement p = CorrectFormPosition(top, left, kW, kH, kScreenW, kScreenH);
    EXPECT_TRUE(p.top == wantTop && p.left == wantLeft && p.corrected == corrected) << why;
  }
}

TEST(RunCommandFor, QuotedPathWithExeExtension) {
  // Program path, Run value, why.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"C:\\Tools\\Vel-Tarrow.exe", "\"C:\\Tools\\Vel-Tarrow.exe\"", "quoted even without spaces"},
      {"C:\\Program Files\\VT\\Vel-Tarrow.EXE", "\"C:\\Program Files\\VT\\Vel-Tarrow.exe\"",
       "the extension is always written as .exe"},
      {"C:\\t\\renamed.bin", "\"C:\\t\\renamed.exe\"", "whatever the real extension"},
      {"C:\\my.dir\\prog", "\"C:\\my.dir\\prog.exe\"", "a dot in the folder is not an extension"},
  };
  for (auto [path, want, why] : rows) EXPECT_EQ(RunCommandFor(path), want) << why;
}

}  // namespace
}  // namespace vt
