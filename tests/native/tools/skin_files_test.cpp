// The progress bar skins: eight looks of their own, and the committed bitmaps
// equal to what the generator draws (the bar's window tests check the sizes
// and pixels the drawing relies on).
#include "skin_art.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace vt::skins;

TEST(SkinFiles, EightLooksHaveTheirOwnBlock) {
  for (int a = 0; a < kLooks; ++a)
    for (int b = a + 1; b < kLooks; ++b)
      EXPECT_NE(DrawBankEntry(3 * a + 2).rgb, DrawBankEntry(3 * b + 2).rgb) << a << " " << b;
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
