// The program icon, drawn from shapes: a small window with a blue title bar
// and a bold red cross over its body ("this pop-up gets closed").
#pragma once

#include <cstdint>
#include <vector>

namespace vt::icon {

// One image of the icon, top row first.
struct IconImage {
  int size = 0;                       // width and height in pixels
  int bitCount = 0;                   // 4 (16 colours) or 32 (BGRA with alpha)
  std::vector<std::uint8_t> indices;  // 4-bit images: palette index per pixel
  std::vector<std::uint32_t> argb;    // 32-bit images: 0xAARRGGBB, straight alpha
  std::vector<bool> transparent;      // per pixel; becomes the AND mask
};

// The standard 16-colour VGA palette as 0xRRGGBB, in the usual order.
extern const std::uint32_t kVgaPalette[16];

IconImage Draw16Colour(int size);
IconImage DrawTrueColour(int size);

// Every image of the program icon, in the order they go into the .ico file:
// 32x32 16 colours first (shells of that era pick the first image), then
// 16x16 16 colours, then with alpha every size from 16 to 256, each drawn
// for its own grid.
std::vector<IconImage> DrawProgramIcon();

}  // namespace vt::icon
