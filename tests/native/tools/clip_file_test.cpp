// Reads the generated clip back as the animation control does; the committed copy must match it.
#include "avi_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;
using vt::clip::kHeight;
using vt::clip::kWidth;

// A straightforward RLE8 decoder: rows bottom-up, escapes 0/0 end of line,
// 0/1 end of bitmap, 0/n literal bytes padded to a word (no deltas: a delta
// read as two literal bytes shows as wrong pixels).
std::vector<std::uint8_t> DecodeRle8(const Bytes& in) {
  std::vector<std::uint8_t> px(kWidth * kHeight, 0xEE);
  int x = 0, y = kHeight - 1;
  for (std::size_t i = 0; i + 1 < in.size();) {
    const int a = in[i], b = in[i + 1];
    i += 2;
    if (a > 0) {
      for (int k = 0; k < a; ++k, ++x) px.at(y * kWidth + x) = static_cast<std::uint8_t>(b);
    } else if (b == 0) {
      x = 0, --y;
    } else if (b == 1) {
      EXPECT_EQ(i, in.size()) << "end of bitmap is the last code";
      EXPECT_EQ(y, 0) << "every row was written";
      break;
    } else {
      for (int k = 0; k < b; ++k, ++x) px.at(y * kWidth + x) = in.at(i + k);
      i += static_cast<std::size_t>(b + (b & 1));
    }
    EXPECT_LE(x, kWidth) << "row " << y << " overflows";
  }
  return px;
}

TEST(ClipFile, HeaderFramesAndCommittedCopy) {
  const Bytes f = vt::clip::MakeClipFile();
  const auto U16 = [&f](std::size_t at) { return unsigned{f.at(at)} | f.at(at + 1) << 8; };
  const auto U32 = [&U16](std::size_t at) { return U16(at) | U16(at + 2) << 16; };
  const auto Four = [&f](std::size_t at) {
    return std::string(f.begin() + at, f.begin() + at + 4);
  };
  ASSERT_EQ(Four(0) + Four(8), "RIFFAVI ");
  EXPECT_EQ(U32(4) + 8, f.size()) << "RIFF size";
  // hdrl LIST at 12, avih at 24: 100 ms a frame, 25 frames, one stream, 272 x 60.
  ASSERT_EQ(Four(24), "avih");
  EXPECT_EQ(U32(32), 100000u);
  EXPECT_EQ(U32(32 + 16), 25u);
  EXPECT_EQ(U32(32 + 24), 1u);
  EXPECT_TRUE(U32(32 + 32) == 272 && U32(32 + 36) == 60);
  const std::size_t strh = 32 + 56 + 12;  // after the strl LIST header
  ASSERT_EQ(Four(strh) + Four(strh + 8) + Four(strh + 12), "strhvidsmrle");
  EXPECT_EQ(U32(strh + 8 + 24) * 1000000 / U32(strh + 8 + 20), 10000000u) << "10 frames a second";
  const std::size_t bih = strh + 8 + 56 + 8;
  ASSERT_EQ(Four(bih - 8), "strf");
  EXPECT_TRUE(U32(bih + 4) == 272 && U32(bih + 8) == 60 && U16(bih + 14) == 8);
  EXPECT_EQ(U32(bih + 16), 1u) << "BI_RLE8";
  EXPECT_EQ(U32(bih + 20), 272u * 60) << "biSizeImage set, or the control draws black";

  // Each frame in movi decodes to the drawing it came from; idx1 points at it.
  std::size_t movi = bih + 40 + 1024;
  ASSERT_EQ(Four(movi) + Four(movi + 8), "LISTmovi");
  const std::size_t idx1 = movi + 8 + U32(movi + 4);
  ASSERT_EQ(Four(idx1), "idx1");
  EXPECT_EQ(U32(idx1 + 4), 25u * 16);
  std::size_t at = movi + 12;
  for (int i = 0; i < vt::clip::kFrames; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(Four(at), "00dc");
    const std::size_t size = U32(at + 4);
    EXPECT_EQ(U32(idx1 + 8 + 16 * i + 8), at - (movi + 8)) << "offset from 'movi'";
    EXPECT_EQ(U32(idx1 + 8 + 16 * i + 12), size);
    const Bytes rle(f.begin() + at + 8, f.begin() + at + 8 + size);
    EXPECT_EQ(DecodeRle8(rle), vt::clip::DrawFrame(i).pixels);
    at += 8 + size + (size & 1);
  }
  EXPECT_NE(vt::clip::DrawFrame(0).pixels, vt::clip::DrawFrame(12).pixels) << "it moves";

  std::ifstream in(VT_COMMITTED_CLIP, std::ios::binary);
  const Bytes committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(committed == f) << "run tools/regenerate.sh and commit the .avi";
}

}  // namespace
