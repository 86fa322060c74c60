// Reads the generated .ico back byte by byte, the way the shell does.
#include "icon_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t U16(const Bytes& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct Expected {
  int size, colourCount, bitCount;
  std::uint32_t bytes;  // header + palette + colour rows + mask rows
  int maskRowBytes;
  int titleRow;  // a row inside the blue title bar
  const char* why;
};

const Expected kImages[] = {
    {32, 16, 4, 40 + 64 + 16 * 32 + 4 * 32, 4, 4, "first image: 32x32 in 16 colours"},
    {16, 16, 4, 40 + 64 + 8 * 16 + 4 * 16, 4, 2, "mask rows of 2 bytes padded to 4"},
    {32, 0, 32, 40 + 128 * 32 + 4 * 32, 4, 4, "colour count 0 above 8 bits"},
    {48, 0, 32, 40 + 192 * 48 + 8 * 48, 8, 6, "mask rows of 6 bytes padded to 8"},
    {16, 0, 32, 40 + 64 * 16 + 4 * 16, 4, 2, "small true-colour image for the tray"},
};
constexpr std::size_t kCount = std::size(kImages);

struct Pixel {
  int r, g, b, a;
  bool masked;
};

// Decodes pixel (x, y), y counted from the top, of image i.
Pixel At(const Bytes& file, std::size_t i, int x, int y) {
  const Expected& e = kImages[i];
  const std::size_t image = U32(file, 6 + 16 * i + 12);
  const std::size_t palette = image + 40;
  const std::size_t colours = palette + (e.bitCount == 4 ? 64 : 0);
  const int colourRow = (e.size * e.bitCount + 31) / 32 * 4;
  const std::size_t mask = colours + static_cast<std::size_t>(colourRow) * e.size;
  const int row = e.size - 1 - y;  // rows are stored bottom-up
  Pixel p{};
  p.masked = file.at(mask + row * e.maskRowBytes + x / 8) & (0x80 >> (x % 8));
  if (e.bitCount == 4) {
    const unsigned pair = file.at(colours + row * colourRow + x / 2);
    const std::size_t entry = palette + 4 * ((x % 2 == 0) ? pair >> 4 : pair & 0xF);
    p = {file.at(entry + 2), file.at(entry + 1), file.at(entry), p.masked ? 0 : 255, p.masked};
  } else {
    const std::size_t px = colours + row * colourRow + 4 * x;
    p = {file.at(px + 2), file.at(px + 1), file.at(px), file.at(px + 3), p.masked};
  }
  return p;
}

class IconFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { file_ = new Bytes(vt::icon::MakeIconFile()); }
  static void TearDownTestSuite() { delete file_; }
  static const Bytes& file() { return *file_; }
  static Bytes* file_;
};
Bytes* IconFile::file_ = nullptr;

TEST_F(IconFile, DirectoryAndHeadersDescribeEachImage) {
  const Bytes& f = file();
  ASSERT_EQ(U16(f, 0), 0u);
  ASSERT_EQ(U16(f, 2), 1u) << "type 1 is an icon";
  ASSERT_EQ(U16(f, 4), kCount);
  std::size_t next = 6 + 16 * kCount;
  for (std::size_t i = 0; i < kCount; ++i) {
    const Expected& e = kImages[i];
    SCOPED_TRACE(e.why);
    const std::size_t d = 6 + 16 * i;
    EXPECT_EQ(f.at(d), e.size);
    EXPECT_EQ(f.at(d + 1), e.size);
    EXPECT_EQ(f.at(d + 2), e.colourCount);
    EXPECT_EQ(f.at(d + 3), 0);
    EXPECT_EQ(U16(f, d + 4), 1u);
    EXPECT_EQ(U16(f, d + 6), static_cast<unsigned>(e.bitCount));
    EXPECT_EQ(U32(f, d + 8), e.bytes);
    ASSERT_EQ(U32(f, d + 12), next) << "images follow each other without gaps";
    next += e.bytes;

    const std::size_t h = U32(f, d + 12);
    EXPECT_EQ(U32(f, h), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(U32(f, h + 4), static_cast<unsigned>(e.size));
    EXPECT_EQ(U32(f, h + 8), static_cast<unsigned>(2 * e.size)) << "colour plus mask height";
    EXPECT_EQ(U16(f, h + 12), 1u);
    EXPECT_EQ(U16(f, h + 14), static_cast<unsigned>(e.bitCount));
    EXPECT_EQ(U32(f, h + 16), 0u) << "BI_RGB";
    EXPECT_EQ(U32(f, h + 20), e.bytes - 40 - (e.bitCount == 4 ? 64 : 0)) << "biSizeImage";
  }
  EXPECT_EQ(next, f.size()) << "nothing after the last image";
}

TEST_F(IconFile, SixteenColourImagesCarryTheVgaPalette) {
  const std::uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t palette = U32(file(), 6 + 16 * i + 12) + 40;
    for (int c = 0; c < 16; ++c) {
      // Stored as B, G, R, 0: a swapped order turns red into navy.
      EXPECT_EQ(U32(file(), palette + 4 * c), vga[c]) << "image " << i << " entry " << c;
    }
  }
}

TEST_F(IconFile, MaskMatchesPixelsAndTheDrawingIsUpright) {
  for (std::size_t i = 0; i < kCount; ++i) {
    const Expected& e = kImages[i];
    SCOPED_TRACE(e.why);
    int opaque = 0;
    for (int y = 0; y < e.size; ++y) {
      for (int x = 0; x < e.size; ++x) {
        const Pixel p = At(file(), i, x, y);
        if (e.bitCount == 32) {
          ASSERT_EQ(p.masked, p.a == 0) << "mask and alpha disagree at " << x << "," << y;
        } else if (p.masked) {
          // Under the AND mask the XOR pixel must be black or it tints the screen.
          ASSERT_EQ(p.r + p.g + p.b, 0) << x << "," << y;
        }
        opaque += p.masked ? 0 : 1;
      }
    }
    EXPECT_GT(opaque, e.size * e.size / 2) << "the window fills most of the icon";
    EXPECT_LT(opaque, e.size * e.size) << "some edge stays transparent";

    // Title bar on top and the red cross in the middle: a flipped or shifted
    // row order would put them elsewhere.
    const Pixel title = At(file(), i, e.size / 4, e.titleRow);
    EXPECT_GT(title.b, title.r + 60) << "title bar is blue";
    const Pixel middle = At(file(), i, e.size / 2, e.size * 9 / 16);
    EXPECT_GT(middle.r, middle.b + 100) << "cross is red";
  }
}

TEST(CommittedIcon, MatchesTheGenerator) {
  std::ifstream in(VT_COMMITTED_ICON, std::ios::binary);
  ASSERT_TRUE(in) << VT_COMMITTED_ICON;
  const Bytes committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(committed == vt::icon::MakeIconFile())
      << "src/app/res/Vel-Tarrow.ico is stale: run tools/make_icon/regenerate.sh";
}

}  // namespace
