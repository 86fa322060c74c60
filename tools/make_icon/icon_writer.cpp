#include "icon_writer.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace vt::icon {
namespace {

constexpr std::size_t kDirSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;

class Bytes {
 public:
  void U8(unsigned v) { out_.push_back(static_cast<unsigned char>(v & 0xFF)); }
  void U16(unsigned v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void PadTo4(std::size_t rowStart) {
    while ((out_.size() - rowStart) % 4 != 0) U8(0);
  }
  std::size_t Size() const { return out_.size(); }
  std::vector<unsigned char> Take() { return std::move(out_); }

 private:
  std::vector<unsigned char> out_;
};

std::size_t RowBytes(int width, int bitCount) {
  return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
}

std::size_t PaletteBytes(const IconImage& img) { return img.bitCount <= 8 ? 4u << img.bitCount : 0; }

std::size_t ImageBytes(const IconImage& img) {
  return kInfoHeaderSize + PaletteBytes(img) + RowBytes(img.size, img.bitCount) * img.size +
         RowBytes(img.size, 1) * img.size;
}

void WriteImage(Bytes& out, const IconImage& img) {
  const int n = img.size;
  out.U32(kInfoHeaderSize);
  out.U32(n);
  out.U32(2 * n);  // colour rows followed by mask rows
  out.U16(1);
  out.U16(img.bitCount);
  out.U32(0);  // BI_RGB
  out.U32(static_cast<std::uint32_t>(ImageBytes(img) - kInfoHeaderSize - PaletteBytes(img)));
  out.U32(0);
  out.U32(0);
  out.U32(0);
  out.U32(0);

  if (img.bitCount == 4) {
    for (std::uint32_t rgb : kVgaPalette) {
      out.U8(rgb);
      out.U8(rgb >> 8);
      out.U8(rgb >> 16);
      out.U8(0);
    }
  }

  for (int y = n - 1; y >= 0; --y) {
    const std::size_t row = out.Size();
    const std::size_t at = static_cast<std::size_t>(y) * n;
    if (img.bitCount == 4) {
      // Masked pixels stay black, so the XOR step leaves the screen as it was.
      auto index = [&](int x) { return img.transparent[at + x] ? 0u : img.indices[at + x] & 0xFu; };
      for (int x = 0; x < n; x += 2) out.U8(index(x) << 4 | (x + 1 < n ? index(x + 1) : 0));
    } else {
      for (int x = 0; x < n; ++x) out.U32(img.argb[at + x]);  // B, G, R, A in memory
    }
    out.PadTo4(row);
  }

  for (int y = n - 1; y >= 0; --y) {
    const std::size_t row = out.Size();
    const std::size_t at = static_cast<std::size_t>(y) * n;
    for (int x0 = 0; x0 < n; x0 += 8) {
      unsigned bits = 0;
      for (int x = x0; x < x0 + 8 && x < n; ++x) {
        if (img.transparent[at + x]) bits |= 0x80u >> (x - x0);
      }
      out.U8(bits);
    }
    out.PadTo4(row);
  }
}

}  // namespace

std::vector<unsigned char> EncodeIco(const std::vector<IconImage>& images) {
  Bytes out;
  out.U16(0);
  out.U16(1);  // icon, not cursor
  out.U16(static_cast<unsigned>(images.size()));

  std::size_t offset = kDirSize + kEntrySize * images.size();
  for (const IconImage& img : images) {
    out.U8(img.size >= 256 ? 0 : img.size);
    out.U8(img.size >= 256 ? 0 : img.size);
    out.U8(img.bitCount < 8 ? 1u << img.bitCount : 0);
    out.U8(0);
    out.U16(1);
    out.U16(img.bitCount);
    out.U32(static_cast<std::uint32_t>(ImageBytes(img)));
    out.U32(static_cast<std::uint32_t>(offset));
    offset += ImageBytes(img);
  }
  for (const IconImage& img : images) WriteImage(out, img);
  return out.Take();
}

std::vector<unsigned char> MakeIconFile() { return EncodeIco(DrawProgramIcon()); }

}  // namespace vt::icon
