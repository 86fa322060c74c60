#include "avi_writer.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vt::clip {
namespace {

class Bytes {
 public:
  void U8(unsigned v) { out_.push_back(static_cast<std::uint8_t>(v & 0xFF)); }
  void U16(unsigned v) { U8(v), U8(v >> 8); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Four(std::string_view cc) {
    for (char ch : cc) U8(static_cast<unsigned char>(ch));
  }
  void Append(const std::vector<std::uint8_t>& b) { out_.insert(out_.end(), b.begin(), b.end()); }
  // Opens a chunk (or a LIST/RIFF with its type); Close fills in its size.
  std::size_t Open(std::string_view id, std::string_view type = {}) {
    Four(id);
    const std::size_t at = out_.size();
    U32(0);
    if (!type.empty()) Four(type);
    return at;
  }
  void Close(std::size_t at) {
    const auto size = static_cast<std::uint32_t>(out_.size() - at - 4);
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<std::uint8_t>(size >> (8 * i));
    if (out_.size() % 2) U8(0);  // chunks are word aligned
  }
  std::size_t Size() const { return out_.size(); }
  std::vector<std::uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<std::uint8_t> out_;
};

constexpr std::uint32_t kMicrosPerFrame = 100000;
constexpr std::uint32_t kImageBytes = kWidth * kHeight;  // one byte a pixel, rows of 272

}  // namespace

std::vector<std::uint8_t> EncodeRle8(const Frame& frame) {
  std::vector<std::uint8_t> out;
  for (int y = kHeight - 1; y >= 0; --y) {
    const std::uint8_t* row = &frame.pixels[static_cast<std::size_t>(y * kWidth)];
    int x = 0;
    const auto runAt = [&](int at) {
      int n = 1;
      while (at + n < kWidth && n < 255 && row[at + n] == row[at]) ++n;
      return n;
    };
    while (x < kWidth) {
      const int run = runAt(x);
      if (run >= 3 || kWidth - x < 3) {
        out.push_back(static_cast<std::uint8_t>(run));
        out.push_back(row[x]);
        x += run;
        continue;
      }
      // Absolute mode: literal bytes until a run of three starts (at least 3, at most 255).
      int end = x;
      while (end < kWidth && end - x < 255 && (end - x < 3 || runAt(end) < 3)) ++end;
      if (end - x < 3) {  // too short for absolute mode: single-byte runs
        for (; x < end; ++x) out.push_back(1), out.push_back(row[x]);
        continue;
      }
      out.push_back(0);
      out.push_back(static_cast<std::uint8_t>(end - x));
      out.insert(out.end(), row + x, row + end);
      if ((end - x) % 2) out.push_back(0);
      x = end;
    }
    out.push_back(0);
    out.push_back(y == 0 ? 1 : 0);  // end of line, end of bitmap after the last
  }
  return out;
}

std::vector<std::uint8_t> MakeClipFile() {
  std::vector<std::vector<std::uint8_t>> frames;
  std::uint32_t largest = 0;
  for (int i = 0; i < kFrames; ++i) {
    frames.push_back(EncodeRle8(DrawFrame(i)));
    largest = std::max(largest, static_cast<std::uint32_t>(frames.back().size()));
  }
  Bytes b;
  const std::size_t riff = b.Open("RIFF", "AVI ");
  const std::size_t hdrl = b.Open("LIST", "hdrl");
  const std::size_t avih = b.Open("avih");
  b.U32(kMicrosPerFrame);
  b.U32(largest * 10);  // max bytes per second at 10 frames a second
  b.U32(0);
  b.U32(0x10);  // AVIF_HASINDEX
  b.U32(kFrames);
  b.U32(0);
  b.U32(1);  // streams
  b.U32(largest);
  b.U32(kWidth);
  b.U32(kHeight);
  for (int i = 0; i < 4; ++i) b.U32(0);
  b.Close(avih);
  const std::size_t strl = b.Open("LIST", "strl");
  const std::size_t strh = b.Open("strh");
  b.Four("vids");
  b.Four("mrle");
  b.U32(0);           // flags
  b.U16(0);           // priority
  b.U16(0);           // language
  b.U32(0);           // initial frames
  b.U32(1);           // scale ...
  b.U32(10);          // ... and rate: 10 frames a second
  b.U32(0);           // start
  b.U32(kFrames);     // length
  b.U32(largest);     // suggested buffer
  b.U32(0xFFFFFFFF);  // quality: default
  b.U32(0);           // sample size: varies
  b.U16(0), b.U16(0), b.U16(kWidth), b.U16(kHeight);
  b.Close(strh);
  const std::size_t strf = b.Open("strf");
  b.U32(40);
  b.U32(kWidth);
  b.U32(kHeight);
  b.U16(1);
  b.U16(8);
  b.U32(1);            // BI_RLE8
  b.U32(kImageBytes);  // the animation control draws black without it
  b.U32(0), b.U32(0);
  b.U32(256), b.U32(0);
  for (std::uint32_t rgb : Palette()) b.U32(rgb);  // B, G, R, 0 in memory order
  b.Close(strf);
  b.Close(strl);
  b.Close(hdrl);

  const std::size_t movi = b.Open("LIST", "movi");
  std::vector<std::uint32_t> offsets;
  for (const auto& f : frames) {
    offsets.push_back(static_cast<std::uint32_t>(b.Size() - (movi + 4)));  // from "movi"
    const std::size_t chunk = b.Open("00dc");
    b.Append(f);
    b.Close(chunk);
  }
  b.Close(movi);
  const std::size_t idx1 = b.Open("idx1");
  for (std::size_t i = 0; i < frames.size(); ++i) {
    b.Four("00dc");
    b.U32(0x10);  // AVIIF_KEYFRAME
    b.U32(offsets[i]);
    b.U32(static_cast<std::uint32_t>(frames[i].size()));
  }
  b.Close(idx1);
  b.Close(riff);
  return b.Take();
}

}  // namespace vt::clip
