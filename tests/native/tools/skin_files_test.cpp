// The progress bar skins: eight distinct looks, and the committed bitmaps
// equal to what the generator draws (the bar's window tests check the sizes
// and pixels the drawing relies on).
#include "skin_art.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace vt::skins;

TEST(SkinFiles, EightLooksAreDistinct) {
  auto mean = [](int look) {  // the block's mean colour
    const Picture p = DrawBankEntry(3 * look + 2);
    std::array<double, 3> m{};
    for (auto c : p.rgb)
      for (int i = 0; i < 3; ++i) m[i] += ((c >> (16 - 8 * i)) & 0xFF) / double(p.rgb.size());
    return m;
  };
  for (int a = 0; a < kLooks; ++a) {
    for (int b = a + 1; b < kLooks; ++b) {
      const auto p = mean(a), q = mean(b);
      EXPECT_GT(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), 40.0) << a << " and " << b;
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
        << "src/controls/res/" << f.name << " is stale: run tools/regenerate.sh";
  }
}

}  // namespace
