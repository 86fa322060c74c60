#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "avi_writer.h"
#include "icon_writer.h"
#include "skin_art.h"

namespace {

using Bytes = std::vector<unsigned char>;

void ExpectCommitted(const std::string& path, const Bytes& generated) {
  std::ifstream in(VT_SOURCE_DIR "/" + path, std::ios::binary);
  const Bytes committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(committed == generated) << path << " is stale: run tools/regenerate.sh";
}

// A little-endian 32-bit field.
unsigned U32(const Bytes& f, std::size_t at) {
  return f.at(at) | f.at(at + 1) << 8 | f.at(at + 2) << 16 | unsigned{f.at(at + 3)} << 24;
}

TEST(AssetFiles, IconAndSkinsAreTheGeneratorsOutput) {
  ExpectCommitted("src/app/res/Vel-Tarrow.ico", vt::icon::MakeIconFile());
  const std::vector<vt::skins::SkinFile> files = vt::skins::MakeSkinFiles();
  ASSERT_EQ(files.size(), 42u) << "img, blank and forty bank entries";
  for (const auto& f : files) ExpectCommitted("src/controls/res/" + f.name, f.bytes);
}

// Every size asked for from 96 to 192 dpi, and 256; none the 16 x 16 image blown up.
TEST(AssetFiles, IconHasEverySizeDrawnForItsGrid) {
  const Bytes f = vt::icon::MakeIconFile();
  std::map<unsigned, std::size_t> rows;  // 32-bit images: size, and where its rows start
  for (std::size_t e = 6; e < 6 + 16 * f.at(4); e += 16)
    if (f.at(e + 6) == 32) rows[f.at(e) ? f.at(e) : 256] = U32(f, e + 12) + 40;
  std::vector<unsigned> sizes;
  for (auto [size, at] : rows) sizes.push_back(size);
  ASSERT_EQ(sizes, (std::vector<unsigned>{16, 20, 24, 32, 40, 48, 64, 256}));
  const auto At = [&](unsigned n, unsigned x, unsigned y) {
    return U32(f, rows[n] + 4 * ((n - 1 - y) * n + x));
  };
  for (unsigned n : sizes) {
    unsigned differ = 0;
    for (unsigned i = 0; i < n * n; ++i)
      differ += At(n, i % n, i / n) != At(16, i % n * 16 / n, i / n * 16 / n);
    EXPECT_TRUE(n == 16 || differ > n * n / 4) << n << " x " << n;
  }
}

TEST(AssetFiles, ClipHeaderAndCommittedCopy) {
  const Bytes f = vt::clip::MakeClipFile();
  const auto Four = [&f](std::size_t at) {
    return std::string(f.begin() + at, f.begin() + at + 4);
  };
  ASSERT_EQ(Four(0) + Four(8) + Four(24), "RIFFAVI avih");
  EXPECT_EQ(U32(f, 4) + 8, f.size()) << "RIFF size";
  EXPECT_EQ(U32(f, 32), 100000u) << "100 ms a frame";
  EXPECT_EQ(U32(f, 32 + 16), 25u) << "frames";
  EXPECT_TRUE(U32(f, 32 + 32) == 272 && U32(f, 32 + 36) == 60) << "size";
  const std::size_t bih = 32 + 56 + 12 + 8 + 56 + 8;  // strf's bitmap header
  EXPECT_EQ(Four(100) + Four(112) + Four(bih - 8), "strhmrlestrf");
  EXPECT_EQ(U32(f, bih + 16), 1u) << "BI_RLE8";
  EXPECT_EQ(U32(f, bih + 20), 272u * 60) << "biSizeImage set, or the control draws black";
  ExpectCommitted("src/download/res/download.avi", f);
}

}  // namespace
