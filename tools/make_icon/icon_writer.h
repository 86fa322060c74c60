// Writes icon images in the .ico container: an ICONDIR, one ICONDIRENTRY per
// image, then per image a BITMAPINFOHEADER (height doubled for the mask),
// the palette of a 16-colour image, the colour rows and the AND mask rows,
// both bottom-up with rows padded to 4 bytes.
#pragma once

#include <vector>

#include "icon_art.h"

namespace vt::icon {

std::vector<unsigned char> EncodeIco(const std::vector<IconImage>& images);

// The program icon as the bytes of a .ico file.
std::vector<unsigned char> MakeIconFile();

}  // namespace vt::icon
