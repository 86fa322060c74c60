#include "icon_art.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace vt::icon {

const std::uint32_t kVgaPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

// Palette slots the 16-colour images use.
constexpr int kBlack = 0;
constexpr int kRed = 9;
constexpr int kNavy = 4;
constexpr int kWhite = 15;
constexpr int kNone = -1;  // layer left out of the 16-colour images

struct Colour {
  double r, g, b, a;  // 0..1, straight alpha
};

Colour Hex(std::uint32_t rgb, double a = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}

Colour Mix(Colour p, Colour q, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
          p.a + (q.a - p.a) * t};
}

// Coordinates are continuous: pixel (i, j) covers [i, i+1) x [j, j+1).
using Shape = std::function<bool(double x, double y)>;
using Paint = std::function<Colour(double x, double y)>;

struct Layer {
  Shape shape;
  Paint paint;
  int paletteIndex;  // colour in the 16-colour images, or kNone
};

Shape Rect(double l, double t, double r, double b) {
  return [=](double x, double y) { return x >= l && x < r && y >= t && y < b; };
}

// A stroke with round ends from (x0, y0) to (x1, y1).
Shape Stroke(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    const double dx = x1 - x0, dy = y1 - y0;
    double t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
    return ex * ex + ey * ey <= radius * radius;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}

Paint Solid(Colour c) {
  return [=](double, double) { return c; };
}

Paint VerticalGradient(Colour top, Colour bottom, double y0, double y1) {
  return [=](double, double y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

Paint DiagonalGradient(Colour from, Colour to, double x0, double y0, double x1, double y1) {
  return [=](double x, double y) {
    const double dx = x1 - x0, dy = y1 - y0;
    return Mix(from, to, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy));
  };
}

// Hand-tuned per size, in pixels: small icons need their edges on the grid.
struct Layout {
  int size;
  double left, top, right, bottom;  // outer edge of the window frame
  double border;                    // frame line width
  double titleBottom;               // first row of the window body
  double crossHalf;                 // half the width of the cross
  double crossRadius;               // half the stroke width of the cross
  double crossOutline;              // dark edge around the cross
  double shadow;                    // drop shadow offset (32-bit images only)
  double edgeContrast;              // > 1 narrows the antialiased edge (hinting)
};

// One row for every size Windows asks for between 96 and 192 dpi (small and
// large icons), and 256 for the shell's largest views.
const Layout kLayouts[] = {
    {16, 0, 0, 16, 15, 1, 4, 3.5, 1.4, 0.0, 1.0, 2.0},
    {20, 0, 1, 20, 19, 1, 5, 4.5, 1.6, 0.0, 1.0, 2.0},
    {24, 1, 1, 23, 22, 1, 6, 5.0, 1.7, 0.0, 1.0, 1.5},
    {32, 1, 2, 30, 30, 1, 8, 7.0, 2.1, 1.0, 1.0, 1.0},
    {40, 1, 2, 38, 38, 1, 10, 9.0, 2.7, 1.2, 1.0, 1.0},
    {48, 2, 3, 45, 45, 1, 11, 10.5, 3.2, 1.4, 1.5, 1.0},
    {64, 2, 4, 61, 61, 2, 15, 14.0, 4.2, 1.8, 2.0, 1.0},
    {256, 8, 14, 244, 244, 6, 60, 56.0, 17.0, 7.0, 6.0, 1.0},
};

const Layout& LayoutFor(int size) {
  for (const Layout& l : kLayouts) {
    if (l.size == size) return l;
  }
  return kLayouts[3];
}

std::vector<Layer> Scene(const Layout& l) {
  const double b = l.border;
  // The cross sits on the middle of the body and reaches over its edges a
  // little, so it stays bold at 16 pixels.
  const double cx = (l.left + l.right) / 2.0;
  const double cy = (l.titleBottom + l.bottom) / 2.0;
  const double h = l.crossHalf;
  const Shape cross = Union(Stroke(cx - h, cy - h, cx + h, cy + h, l.crossRadius),
                            Stroke(cx - h, cy + h, cx + h, cy - h, l.crossRadius));
  const Shape crossEdge =
      Union(Stroke(cx - h, cy - h, cx + h, cy + h, l.crossRadius + l.crossOutline),
            Stroke(cx - h, cy + h, cx + h, cy - h, l.crossRadius + l.crossOutline));

  std::vector<Layer> layers;
  layers.push_back(
      {Rect(l.left + l.shadow, l.top + l.shadow, l.right + l.shadow, l.bottom + l.shadow),
       Solid(Hex(0x000000, 0.30)), kNone});
  layers.push_back({Rect(l.left, l.top, l.right, l.bottom), Solid(Hex(0x1B2A47)), kBlack});
  layers.push_back({Rect(l.left + b, l.top + b, l.right - b, l.titleBottom),
                    VerticalGradient(Hex(0x5B9BF5), Hex(0x1C4FB8), l.top + b, l.titleBottom),
                    kNavy});
  layers.push_back({Rect(l.left + b, l.titleBottom, l.right - b, l.bottom - b),
                    VerticalGradient(Hex(0xFFFFFF), Hex(0xDDE4EE), l.titleBottom, l.bottom),
                    kWhite});
  if (l.crossOutline > 0) layers.push_back({crossEdge, Solid(Hex(0x6E0A0A)), kNone});
  layers.push_back({cross,
                    DiagonalGradient(Hex(0xFF6655), Hex(0xC41010), cx - h, cy - h, cx + h, cy + h),
                    kRed});
  return layers;
}

// Fraction of the pixel inside the shape, from an 8 x 8 grid of samples.
double Coverage(const Shape& shape, int px, int py) {
  constexpr int kGrid = 8;
  int inside = 0;
  for (int j = 0; j < kGrid; ++j) {
    for (int i = 0; i < kGrid; ++i) {
      if (shape(px + (i + 0.5) / kGrid, py + (j + 0.5) / kGrid)) ++inside;
    }
  }
  return static_cast<double>(inside) / (kGrid * kGrid);
}

std::uint32_t ToArgb(double r, double g, double b, double a) {
  auto byte = [](double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
  };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

}  // namespace

IconImage Draw16Colour(int size) {
  const std::vector<Layer> layers = Scene(LayoutFor(size));
  IconImage img;
  img.size = size;
  img.bitCount = 4;
  img.indices.assign(static_cast<std::size_t>(size) * size, 0);
  img.transparent.assign(static_cast<std::size_t>(size) * size, true);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * size + x;
      // No blending in 16 colours: a layer owns a pixel it covers at least half.
      for (const Layer& layer : layers) {
        if (layer.paletteIndex == kNone || Coverage(layer.shape, x, y) < 0.5) continue;
        img.indices[at] = static_cast<std::uint8_t>(layer.paletteIndex);
        img.transparent[at] = false;
      }
    }
  }
  return img;
}

IconImage DrawTrueColour(int size) {
  const Layout& layout = LayoutFor(size);
  const std::vector<Layer> layers = Scene(layout);
  IconImage img;
  img.size = size;
  img.bitCount = 32;
  img.argb.assign(static_cast<std::size_t>(size) * size, 0);
  img.transparent.assign(static_cast<std::size_t>(size) * size, true);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Premultiplied "over" compositing, layer by layer.
      double r = 0, g = 0, b = 0, a = 0;
      for (const Layer& layer : layers) {
        const double cover =
            std::clamp((Coverage(layer.shape, x, y) - 0.5) * layout.edgeContrast + 0.5, 0.0, 1.0);
        if (cover <= 0) continue;
        const Colour c = layer.paint(x + 0.5, y + 0.5);
        const double sa = c.a * cover;
        r = c.r * sa + r * (1 - sa);
        g = c.g * sa + g * (1 - sa);
        b = c.b * sa + b * (1 - sa);
        a = sa + a * (1 - sa);
      }
      const std::size_t at = static_cast<std::size_t>(y) * size + x;
      std::uint32_t argb = a > 0 ? ToArgb(r / a, g / a, b / a, a) : 0;
      if ((argb >> 24) == 0) argb = 0;  // no stray colour under a clear pixel
      img.argb[at] = argb;
      img.transparent[at] = (argb >> 24) == 0;
    }
  }
  return img;
}

std::vector<IconImage> DrawProgramIcon() {
  std::vector<IconImage> images{Draw16Colour(32), Draw16Colour(16)};
  for (const Layout& l : kLayouts) images.push_back(DrawTrueColour(l.size));
  return images;
}

}  // namespace vt::icon
