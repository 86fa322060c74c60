#include "skin_art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vt::skins {
namespace {

struct Rgb {
  double r, g, b;  // 0..255
};

Rgb Hex(std::uint32_t v) {
  return {double((v >> 16) & 0xFF), double((v >> 8) & 0xFF), double(v & 0xFF)};
}

Rgb Mix(Rgb p, Rgb q, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t};
}

std::uint32_t Pack(Rgb c) {
  auto byte = [](double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  };
  return byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

Picture Blank(int w, int h) {
  return {w, h, std::vector<std::uint32_t>(std::size_t(w) * h)};
}

void Put(Picture& p, int x, int y, Rgb c) {
  p.rgb[std::size_t(y) * p.width + x] = Pack(c);
}

// The trough: a dark outer line, a soft inner shadow at the top and left,
// light at the bottom and right, and a pale interior that brightens downward.
const Rgb kBorder = Hex(0x6F7C8A);
const Rgb kShadow = Hex(0xB4BDC7);
const Rgb kShade = Hex(0xD5DBE1);
const Rgb kLight = Hex(0xF3F5F7);
const Rgb kWhite = Hex(0xFFFFFF);
const Rgb kCorner = Hex(0xA9B2BC);  // the outer corners, softened
const Rgb kInteriorTop = Hex(0xDCE1E6);
const Rgb kInteriorBottom = Hex(0xF7F8FA);

constexpr int kImgW = 59, kImgH = 13;

// Interior rows 3 to 10 of img: the centre copy reads rows 4 to 10, so row 10
// (the bottom frame's inner row) continues the ramp.
Rgb InteriorRow(int y) {
  return Mix(kInteriorTop, kInteriorBottom, (y - 3) / 7.0);
}

// One look: its hue from dark to light, and how its block is shaded.
struct Look {
  std::uint32_t dark, base, light;
  bool glossy;  // a bright band across the upper third, else a plain tube
};

const Look kLookTable[kLooks] = {
    {0x1D7A1D, 0x33B533, 0xA6EC9C, true},   // 0 meadow green
    {0x1C4FB8, 0x3D86E8, 0xB5D5FF, true},   // 1 sky blue (the download's)
    {0x5E6B22, 0x93A43C, 0xD9E4A0, false},  // 2 olive
    {0xB55200, 0xF08A1C, 0xFFD29A, true},   // 3 amber
    {0x8E1616, 0xD63B3B, 0xFFB0A8, false},  // 4 ruby
    {0x4B2590, 0x8757D3, 0xD8C2FF, true},   // 5 violet
    {0x0B7373, 0x1DB2B0, 0xA8F0EC, false},  // 6 teal
    {0x3A4250, 0x6F7A88, 0xC8CFD8, true},   // 7 graphite
};

// The colour of a block row: the same across, so the smooth style can stretch it.
Rgb BlockRow(const Look& l, int y) {
  const Rgb dark = Hex(l.dark), base = Hex(l.base), light = Hex(l.light);
  const double t = (y + 0.5) / kPieceHeight;  // 0 top .. 1 bottom
  if (l.glossy) {
    if (y == 0) return Mix(base, light, 0.55);
    if (t < 0.4) return Mix(light, base, (t - 0.1) / 0.3 * 0.6);
    return Mix(base, dark, (t - 0.4) / 0.6);
  }
  // A tube: darker at both edges, lightest a little above the middle.
  const double d = std::abs(t - 0.4) / 0.6;
  return Mix(Mix(light, base, 0.35), dark, d * d * 1.1);
}

Picture DrawBlock(const Look& l, int width) {
  Picture p = Blank(width, kPieceHeight);
  for (int y = 0; y < kPieceHeight; ++y) {
    for (int x = 0; x < width; ++x) Put(p, x, y, BlockRow(l, y));
  }
  return p;
}

// A block fading into the trough towards one side.
Picture DrawFade(const Look& l, int width, bool fadedAtLeft) {
  Picture p = Blank(width, kPieceHeight);
  for (int y = 0; y < kPieceHeight; ++y) {
    const Rgb trough = Mix(InteriorRow(3 + y * 7 / kPieceHeight), kWhite, 0.1);
    for (int x = 0; x < width; ++x) {
      const double along = (x + 0.5) / width;
      const double t = fadedAtLeft ? along : 1.0 - along;
      Put(p, x, y, Mix(trough, BlockRow(l, y), std::pow(t, 1.4)));
    }
  }
  return p;
}

}  // namespace

Picture DrawTrough() {
  Picture p = Blank(kImgW, kImgH);
  for (int y = 0; y < kImgH; ++y) {
    for (int x = 0; x < kImgW; ++x) {
      const int dx = std::min(x, kImgW - 1 - x), dy = std::min(y, kImgH - 1 - y);
      Rgb c = InteriorRow(std::clamp(y, 3, 10));
      if (dx == 0 || dy == 0) {
        c = kBorder;
      } else if (y == 1 && x >= 1 && x <= kImgW - 2) {
        c = kShadow;
      } else if (x == 1 && y >= 1 && y <= kImgH - 2) {
        c = kShadow;
      } else if (y == 2 && x >= 2 && x <= kImgW - 3) {
        c = kShade;
      } else if (x == 2 && y >= 2 && y <= kImgH - 3) {
        c = kShade;
      } else if (y == kImgH - 2 || x == kImgW - 2) {
        c = kWhite;
      } else if (x == kImgW - 3 && y >= 3) {
        c = kLight;
      }
      if (dx == 0 && dy == 0) c = kCorner;
      Put(p, x, y, c);
    }
  }
  return p;
}

Picture DrawBlank() {
  const Picture img = DrawTrough();
  Picture p = Blank(51, 7);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) p.rgb[std::size_t(y) * p.width + x] = img.At(4 + x, 4 + y);
  }
  return p;
}

Picture DrawBankEntry(int n) {
  if (n < 24) {
    const Look& l = kLookTable[n / 3];
    switch (n % 3) {
      case 0:
        return DrawFade(l, 16, true);  // left cap: rises from the trough
      case 1:
        return DrawFade(l, 16, false);  // right cap: sinks back into it
      default:
        return DrawBlock(l, 8);
    }
  }
  // The tails light up towards the group's head and fade behind it.
  if (n < 32) return DrawFade(kLookTable[n - 24], 8, true);  // moving right: bright at the right
  return DrawFade(kLookTable[n - 32], 8, false);             // moving left: bright at the left
}

std::vector<unsigned char> EncodeBmp(const Picture& p) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3u;
  const std::uint32_t image = stride * static_cast<std::uint32_t>(p.height);
  std::vector<unsigned char> out;
  auto u16 = [&out](std::uint32_t v) { out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF); };
  auto u32 = [&u16](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  out.push_back('B'), out.push_back('M');
  u32(14 + 40 + image), u32(0), u32(14 + 40);                     // BITMAPFILEHEADER
  u32(40), u32(p.width), u32(p.height), u16(1), u16(24), u32(0);  // BITMAPINFOHEADER, BI_RGB
  u32(image), u32(2835), u32(2835), u32(0), u32(0);               // 72 dpi, no palette
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.At(x, y);
      out.push_back(c & 0xFF), out.push_back((c >> 8) & 0xFF), out.push_back((c >> 16) & 0xFF);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(p.width) * 3; pad < stride; ++pad)
      out.push_back(0);
  }
  return out;
}

std::vector<SkinFile> MakeSkinFiles() {
  std::vector<SkinFile> files{{"img.bmp", EncodeBmp(DrawTrough())},
                              {"blank.bmp", EncodeBmp(DrawBlank())}};
  for (int n = 0; n < kBankSize; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "bank%02d.bmp", n);
    files.push_back({name, EncodeBmp(DrawBankEntry(n))});
  }
  return files;
}

}  // namespace vt::skins
