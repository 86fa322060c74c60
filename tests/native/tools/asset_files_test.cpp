// The committed icon, skins and clip are their generators' output: a change
// to either side shows here.
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

TEST(AssetFiles, IconAndSkinsAreTheGeneratorsOutput) {
  ExpectCommitted("src/app/res/Vel-Tarrow.ico", vt::icon::MakeIconFile());
  const std::vector<vt::skins::SkinFile> files = vt::skins::MakeSkinFiles();
  ASSERT_EQ(files.size(), 42u) << "img, blank and forty bank entries";
  for (const auto& f : files) ExpectCommitted("src/controls/res/" + f.name, f.bytes);
}

// Every size Windows asks for from 96 to 192 dpi, and 256; each drawn for its
// own grid, so none is the 16 x 16 image blown up pixel by pixel.
TEST(AssetFiles, IconHasEverySizeDrawnForItsGrid) {
  const Bytes f = vt::icon::MakeIconFile();
  const auto U32 = [&f](std::size_t at) {
    return unsigned{f.at(at)} | f.at(at + 1) << 8 | f.at(at + 2) << 16 |
           unsigned{f.at(at + 3)} << 24;
  };
  std::map<unsigned, std::size_t> pixels;  // 32-bit images: size, then where the rows start
  for (unsigned i = 0; i < (U32(4) & 0xFFFF); ++i) {
    const std::size_t entry = 6 + 16 * i;
    if ((U32(entry + 6) & 0xFFFF) == 32)
      pixels[f.at(entry) ? f.at(entry) : 256] = U32(entry + 12) + 40;
  }
  std::vector<unsigned> sizes;
  for (auto [size, at] : pixels) sizes.push_back(size);
  ASSERT_EQ(sizes, (std::vector<unsigned>{16, 20, 24, 32, 40, 48, 64, 256}));
  const auto At = [&](unsigned size, unsigned x, unsigned y) {  // rows are stored bottom-up
    return U32(pixels[size] + 4 * ((size - 1 - y) * size + x));
  };
  for (unsigned size : sizes) {
    unsigned differ = 0;
    for (unsigned y = 0; y < size; ++y)
      for (unsigned x = 0; x < size; ++x)
        differ += At(size, x, y) != At(16, x * 16 / size, y * 16 / size);
    if (size > 16) EXPECT_GT(differ, size * size / 4) << size << " x " << size;
  }
}

// The clip in the form the animation control plays: RLE8, 272 x 60, 25
// frames at 100 ms.
TEST(AssetFiles, ClipHeaderAndCommittedCopy) {
  const Bytes f = vt::clip::MakeClipFile();
  const auto U32 = [&f](std::size_t at) {
    return unsigned{f.at(at)} | f.at(at + 1) << 8 | f.at(at + 2) << 16 | f.at(at + 3) << 24;
  };
  const auto Four = [&f](std::size_t at) {
    return std::string(f.begin() + at, f.begin() + at + 4);
  };
  ASSERT_EQ(Four(0) + Four(8) + Four(24), "RIFFAVI avih");
  EXPECT_EQ(U32(4) + 8, f.size()) << "RIFF size";
  EXPECT_EQ(U32(32), 100000u) << "100 ms a frame";
  EXPECT_EQ(U32(32 + 16), 25u) << "frames";
  EXPECT_TRUE(U32(32 + 32) == 272 && U32(32 + 36) == 60) << "size";
  const std::size_t bih = 32 + 56 + 12 + 8 + 56 + 8;  // strf's bitmap header
  EXPECT_EQ(Four(100) + Four(112) + Four(bih - 8), "strhmrlestrf");
  EXPECT_EQ(U32(bih + 16), 1u) << "BI_RLE8";
  EXPECT_EQ(U32(bih + 20), 272u * 60) << "biSizeImage set, or the control draws black";
  ExpectCommitted("src/download/res/download.avi", f);
}

}  // namespace
