// The download animation: a sheet of paper travels in an arc from a turning
// globe into a folder. 8-bit frames over one palette.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vt::clip {

inline constexpr int kWidth = 272, kHeight = 60, kFrames = 25;

struct Frame {
  std::vector<std::uint8_t> pixels;  // kWidth x kHeight, top row first
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kWidth + x)]; }
};

// 0x00RRGGBB per palette index; index 0 is the background (the transparent colour).
const std::array<std::uint32_t, 256>& Palette();
Frame DrawFrame(int index);

}  // namespace vt::clip
