#include "controls/progress_geometry.h"
#include "controls/property_bag.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace vt::progress;

const Pictures kPics;  // 59 x 13 trough, 51 x 7 blank, 8 x 10 block and tails
const Rect kBlock{0, 0, 8, 10}, kBlank{0, 0, 51, 7};

Copy Block(int x, int w, int h = 10) {
  return {Picture::kPiece2, {x, 3, w, h}, kBlock};
}
Copy Erase(int x, int w, int h = 10) {
  return {Picture::kBlank, {x, 3, w, h}, kBlank};
}

struct Bar {
  Bar(int w, int h = 16) { Layout(s, m, kPics, w, h); }
  State s;
  Metrics m;
};

Copies Blocks(int from, int to, Copies tail = {}) {
  Copies out;
  for (int x = from; x <= to; x += 10) out.push_back(Block(x, 8));
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

TEST(ProgressLayout, NinePartTroughMeasuresAndResetsTheGroup) {
  Bar b(5, 4);  // too small for a trough: what has no area is left out, nothing is negative
  for (const Copy& c : Layout(b.s, b.m, kPics, 5, 4)) EXPECT_TRUE(c.dst.w > 0 && c.dst.h > 0);
  b.s.m_Position = 120;
  const Copies trough = Layout(b.s, b.m, kPics, 204, 16);
  const auto Img = [](Rect dst, Rect src) { return Copy{Picture::kImg, dst, src}; };
  const Copies expected = {
      Img({0, 0, 3, 3}, {0, 0, 3, 3}),      Img({201, 0, 3, 3}, {56, 0, 3, 3}),
      Img({201, 13, 3, 3}, {56, 10, 3, 3}), Img({0, 13, 3, 3}, {0, 10, 3, 3}),
      Img({3, 0, 198, 3}, {3, 0, 53, 3}),   Img({3, 13, 198, 3}, {3, 10, 53, 3}),
      Img({0, 3, 3, 10}, {0, 3, 3, 3}),     Img({201, 3, 3, 10}, {56, 3, 3, 3}),
      Img({3, 3, 198, 10}, {4, 4, 51, 7}),
  };
  EXPECT_EQ(trough, expected);
  EXPECT_EQ(b.s.m_Position, 4) << "every resize puts the group at the left end";
}

TEST(ProgressFill, BlocksAndSmoothBarCases) {
  struct Row {
    int width, height;
    long style, min, max, value;
    Copies expected;
    const char* why;
  };
  const Row rows[] = {
      {204, 16, 0, 0, 100, 50, Blocks(4, 94, {Erase(104, 96)}), "Fill 100: blocks 4 ... 94, erase"},
      {204, 16, 0, 0, 100, 100, Blocks(4, 184, {Block(194, 6)}), "194 > W - 12: squeezed"},
      {206, 16, 0, 0, 100, 100, Blocks(4, 194), "W 206: 194 = W - 12 fits whole"},
      {204, 16, 0, 0, 600, 11, {Erase(4, 196)}, "Fill 3.67 is floored, reaching no block"},
      {204, 16, 0, 0, 200, 4, {Block(4, 8), Erase(14, 186)}, "Fill 4 is the first block"},
      {204, 16, 0, 0, 200, 199, Blocks(4, 184, {Block(194, 6), Erase(200, 1)}), "X past W - 4"},
      {204, 16, 0, 0, 50, 100, Blocks(4, 184, {Block(194, 6)}), "above the range: not past W - 4"},
      {204, 16, 0, 30, 30, 30, Blocks(4, 184, {Block(194, 6)}), "an empty range counts as full"},
      {204, 16, 0, 50, 150, 50, Blocks(4, 94, {Erase(104, 96)}), "Value / (Max - Min)"},
      {204, 30, 0, 0, 100, 10, {Block(4, 8, 24), Block(14, 8, 24), Erase(24, 176, 24)}, "24 high"},
      {204, 16, 2, 0, 100, 50, {Block(3, 97), Erase(99, 101)}, "smooth: erase from Fill - 1"},
      {204, 16, 2, 0, 50, 100, {Block(3, 197)}, "smooth above the range: up to W - 4"},
      {204, 16, 2, 0, 100, 0, {Block(3, 1), Erase(3, 197)}, "smooth at 0: the 1-pixel sliver"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    Bar b(r.width, r.height);
    b.s.m_Style = r.style, b.s.m_Min = r.min, b.s.m_Max = r.max, b.s.m_Value = r.value;
    EXPECT_EQ(Fill(b.s, b.m, kPics), r.expected);
  }
}

TEST(ProgressAutoRun, FramesTicksAndTurns) {
  Bar b(206);  // 174 + 32 reaches W exactly
  b.s.m_Style = 1, b.s.m_Value = 40;
  const Copy right{Picture::kPiece3, {4, 3, 30, 10}, kBlock};
  EXPECT_EQ(Fill(b.s, b.m, kPics), Copies({Erase(3, 201), right, Block(20, 8), Block(4, 8)}))
      << "style 1 below Max: a frame at the left end, the tail under the body";
  b.s.m_Position = 100, b.s.m_Step = -1;
  const Copy left{Picture::kPiece4, {110, 3, 30, 10}, kBlock};
  EXPECT_EQ(Frame(b.s, b.m, kPics), Copies({Erase(3, 201), left, Block(116, 8), Block(100, 8)}))
      << "moving left the other tail, 10 further right";
  const std::pair<long, bool> bounds[] = {{3, false}, {4, true}, {177, true}, {178, false}};
  for (auto [p, drawn] : bounds) {
    b.s.m_Position = p, b.s.m_Step = 1;
    EXPECT_EQ(!Frame(b.s, b.m, kPics).empty(), drawn) << p << ": drawn only for 3 < P < W - 28";
  }
  auto ticks = [&b](long from, short step) {  // positions after three ticks
    b.s.m_Position = from, b.s.m_Step = step;
    std::vector<long> at;
    for (int i = 0; i < 3; ++i) Tick(b.s, b.m, kPics), at.push_back(b.s.m_Position);
    return at;
  };
  EXPECT_EQ(ticks(164, 1), std::vector<long>({169, 179, 174})) << "turns at 174, on by 5";
  EXPECT_EQ(ticks(14, -1), std::vector<long>({9, -1, 4})) << "turns at 4, back by 5";
  b.s.m_Value = 100;
  EXPECT_EQ(Tick(b.s, b.m, kPics).size(), 4u) << "Value = Max: ticks still draw frames";
  EXPECT_EQ(Fill(b.s, b.m, kPics).size(), 9u) << "but a Value let lays the trough out again";
  b.s.m_Position = 50, b.s.m_Value = 120;  // above Max (Max lowered)
  EXPECT_EQ(Tick(b.s, b.m, kPics).size(), 9u) << "each tick lays the trough out";
}

TEST(ProgressRules, ClampAndCheckOrder) {
  State s;
  s.m_Min = 20, s.m_Max = 10;  // as a bag may hold them: Max applies first, then Min
  EXPECT_EQ(ClampValue(s, 15), 20);
  s.m_Max = -5;
  EXPECT_STREQ(CheckMin(s, -1), kMinAboveMax) << "above Max is checked before below 0";
  const LookEntries last = BankEntriesOfLook(7);
  EXPECT_EQ(std::vector<int>(last.entry, last.entry + 5), std::vector<int>({21, 22, 23, 31, 39}));
}

TEST(TextPropertyBag, ReadsWellFormedValuesElseTheDefault) {
  vt::TextPropertyBag bag(" Min = +5 \r\nValue=12x\nStyle=\nBig=99999999999999999999\nAuto=yes\n");
  EXPECT_EQ(bag.ReadLong("Min", 0), 5) << "spaces, a plus sign and CR LF";
  for (const char* bad : {"Value", "Style", "Big", "Absent"})
    EXPECT_EQ(bag.ReadLong(bad, 7), 7) << bad;
  EXPECT_TRUE(bag.ReadBool("Auto", true)) << "not a Boolean";
}

}  // namespace
