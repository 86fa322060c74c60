// Layout is given in twips (1/1440 inch) and turned into pixels with the
// screen's real twips per pixel. Pure code.
#pragma once

#include <cmath>

namespace vt {

inline double TwipsPerPixel(int dpi) { return 1440.0 / (dpi > 0 ? dpi : 96); }

inline int TwipsToPixels(double twips, double twipsPerPixel) {
  return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline double PixelsToTwips(int pixels, double twipsPerPixel) { return pixels * twipsPerPixel; }

}  // namespace vt
