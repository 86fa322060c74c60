// Writes the clip as a silent AVI: one RLE8 video stream ('mrle'), every
// frame a key frame, with an idx1 index, the way the animation control reads it.
#pragma once

#include <cstdint>
#include <vector>

#include "clip_art.h"

namespace vt::clip {

// One frame as RLE8 (rows bottom-up, end of line after each row, end of bitmap last).
std::vector<std::uint8_t> EncodeRle8(const Frame& frame);

std::vector<std::uint8_t> MakeClipFile();

}  // namespace vt::clip
