// The progress bar skins: sizes the drawing relies on, distinct looks, and the
// committed bitmaps equal to what the generator draws.
#include "skin_art.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace vt::skins;

TEST(SkinFiles, SizesAndRowsThatStretch) {
  const Picture img = DrawTrough(), blank = DrawBlank();
  ASSERT_TRUE(img.width == 59 && img.height == 13);
  ASSERT_TRUE(blank.width == 51 && blank.height == 7);
  for (int n = 0; n < kBankSize; ++n) {
    const Picture p = DrawBankEntry(n);
    const bool wide = n < 24 && n % 3 != 2;
    EXPECT_TRUE(p.height == kPieceHeight && p.width == (wide ? 16 : 8)) << "entry " << n;
  }
  // The block is the same across each row: the smooth style stretches it.
  for (int look = 0; look < kLooks; ++look) {
    const Picture block = DrawBankEntry(3 * look + 2);
    for (int y = 0; y < block.height; ++y)
      for (int x = 1; x < block.width; ++x) ASSERT_EQ(block.At(x, y), block.At(0, y)) << look;
  }
}

TEST(SkinFiles, EightLooksAreDistinct) {
  auto mean = [](const Picture& p) {
    double r = 0, g = 0, b = 0;
    for (auto c : p.rgb) r += (c >> 16) & 0xFF, g += (c >> 8) & 0xFF, b += c & 0xFF;
    const double n = static_cast<double>(p.rgb.size());
    return std::array<double, 3>{r / n, g / n, b / n};
  };
  for (int a = 0; a < kLooks; ++a) {
    for (int b = a + 1; b < kLooks; ++b) {
      const auto p = mean(DrawBankEntry(3 * a + 2)), q = mean(DrawBankEntry(3 * b + 2));
      const double d = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
      EXPECT_GT(d, 40.0) << "looks " << a << " and " << b << " blocks too alike";
    }
  }
}

TEST(SkinFiles, CommittedBitmapsMatchTheGenerator) {
  const std::vector<SkinFile> files = MakeSkinFiles();
  ASSERT_EQ(files.size(), 42u) << "img, blank and forty bank entries";
  for (const SkinFile& f : files) {
    std::ifstream in(std::string(VT_COMMITTED_SKINS) + "/" + f.name, std::ios::binary);
    ASSERT_TRUE(in) << f.name;
    const std::vector<unsigned char> committed{std::istreambuf_iterator<char>(in),
                                               std::istreambuf_iterator<char>()};
    EXPECT_TRUE(committed == f.bytes)
        << "src/controls/res/" << f.name << " is stale: run tools/make_skins/regenerate.sh";
  }
}

}  // namespace
