// Reads the generated .ico back the way the shell does; the committed copy must match it.
#include "icon_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(IconFile, DirectoryHeadersAndSizesAgree) {
  const Bytes f = vt::icon::MakeIconFile();
  const auto U16 = [&f](std::size_t at) { return unsigned{f.at(at)} | f.at(at + 1) << 8; };
  const auto U32 = [&U16](std::size_t at) { return U16(at) | U16(at + 2) << 16; };
  ASSERT_TRUE(U16(2) == 1 && U16(4) == 5) << "an icon: 32, 16 in 16 colours; 32, 48, 16";
  // Shells of that era take the first image: 32x32, 16 colours at 4 bits.
  EXPECT_TRUE(f.at(6) == 32 && f.at(7) == 32 && f.at(8) == 16 && U16(12) == 4);
  // Its title bar is navy (4) at the top: rows are stored bottom-up, 16 bytes each.
  EXPECT_EQ(f.at(U32(18) + 40 + 64 + (31 - 4) * 16 + 8 / 2) >> 4, 4) << "x 8, y 4";
  std::size_t next = 6 + 16 * 5;
  for (std::size_t d = 6; d < 6 + 16 * 5; d += 16) {
    const unsigned size = f.at(d), bits = U16(d + 6), h = U32(d + 12);
    SCOPED_TRACE(testing::Message() << size << "x" << size << " at " << bits << " bits");
    EXPECT_EQ(f.at(d + 2), bits == 4 ? 16 : 0) << "a colour count only below 8 bits";
    ASSERT_EQ(h, next) << "images follow each other without gaps";
    // Square; the BITMAPINFOHEADER repeats size and depth, height doubled for the mask.
    EXPECT_TRUE(f.at(d + 1) == size && U32(h + 4) == size && U32(h + 8) == 2 * size);
    EXPECT_TRUE(U32(h) == 40 && U16(h + 14) == bits);
    // Colour and mask rows padded to 4 bytes; 16 colours bring a B, G, R, 0 palette.
    const unsigned rows = ((size * bits + 31) / 32 + (size + 31) / 32) * 4 * size;
    EXPECT_EQ(U32(d + 8), 40 + (bits == 4 ? 64 : 0) + rows) << "bytes in the directory";
    EXPECT_EQ(U32(h + 20), rows) << "biSizeImage";
    if (bits == 4) EXPECT_EQ(U32(h + 40 + 4 * 9), 0xFF0000u) << "entry 9 is bright red";
    next += U32(d + 8);
  }
  EXPECT_EQ(next, f.size()) << "nothing after the last image";
}

TEST(IconFile, CommittedCopyMatchesTheGenerator) {
  std::ifstream in(VT_COMMITTED_ICON, std::ios::binary);
  ASSERT_TRUE(in) << VT_COMMITTED_ICON;
  const Bytes committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(committed == vt::icon::MakeIconFile())
      << "src/app/res/Vel-Tarrow.ico is stale: run tools/make_icon/regenerate.sh";
}

}  // namespace
