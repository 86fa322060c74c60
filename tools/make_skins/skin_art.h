// The progress bar skins, drawn from colour ramps: the 59 x 13 trough, its
// empty interior, and five pieces for each of eight looks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vt::skins {

// An RGB picture, top row first, 0xRRGGBB per pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

inline constexpr int kLooks = 8;
inline constexpr int kBankSize = 40;
inline constexpr int kPieceHeight = 10;

Picture DrawTrough();  // img: 59 x 13
Picture DrawBlank();   // the interior the erase copies: img's (4, 4, 51, 7)
// Bank entry n (0 to 39): look L owns 3L (left cap, 16 wide), 3L + 1 (right
// cap, 16 wide), 3L + 2 (the block, 8 wide), 24 + L (tail while moving right)
// and 32 + L (tail while moving left).
Picture DrawBankEntry(int n);

// A skin file: its name under src/controls/res and its bytes (a 24-bit .bmp).
struct SkinFile {
  std::string name;
  std::vector<unsigned char> bytes;
};
std::vector<SkinFile> MakeSkinFiles();

// A 24-bit bottom-up .bmp of the picture.
std::vector<unsigned char> EncodeBmp(const Picture& p);

}  // namespace vt::skins
