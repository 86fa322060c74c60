#include "clip_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vt::clip {
namespace {

constexpr std::uint8_t kBack = 0;
constexpr std::uint8_t kOcean = 1, kOceanShades = 16;  // 1..16, dark to light
constexpr std::uint8_t kLand = 17, kLandShades = 8;    // 17..24
constexpr std::uint8_t kGlobeEdge = 25, kPaper = 26, kPaperLine = 27, kPaperEdge = 28;
constexpr std::uint8_t kFolderLight = 29, kFolderMid = 30, kFolderDark = 31, kFolderEdge = 32;
constexpr std::uint8_t kTrail = 33, kPaperFold = 34;

std::uint32_t Rgb(double r, double g, double b) {
  const auto c = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
  return c(r) << 16 | c(g) << 8 | c(b);
}

class Canvas {
 public:
  Canvas() : frame_{std::vector<std::uint8_t>(kWidth * kHeight, kBack)} {}
  void Set(int x, int y, std::uint8_t c) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) frame_.pixels[y * kWidth + x] = c;
  }
  void Fill(int l, int t, int r, int b, std::uint8_t c) {  // [l, r) x [t, b)
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) Set(x, y, c);
  }
  void Box(int l, int t, int r, int b, std::uint8_t fill, std::uint8_t edge) {
    Fill(l, t, r, b, edge);
    Fill(l + 1, t + 1, r - 1, b - 1, fill);
  }
  Frame Take() { return std::move(frame_); }

 private:
  Frame frame_;
};

// A globe lit from the upper left, turned by angle; land from a few waves.
void Globe(Canvas& c, double angle) {
  constexpr double cx = 36.5, cy = 30.5, r = 25;
  const double lx = -0.45, ly = -0.55, lz = 0.70;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < 80; ++x) {
      const double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r, d2 = dx * dx + dy * dy;
      if (d2 > 1) continue;
      if (d2 > 0.9) {
        c.Set(x, y, kGlobeEdge);
        continue;
      }
      const double dz = std::sqrt(1 - d2);
      const double lat = std::asin(-dy), lon = std::atan2(dx, dz) + angle;
      const double land = std::sin(3 * lon) * std::cos(2 * lat) +
                          0.6 * std::sin(5 * lon + 1.3) * std::sin(3 * lat + 0.7);
      const double light = std::clamp(0.3 + 0.7 * (dx * lx + dy * ly + dz * lz), 0.0, 1.0);
      if (land > 0.35) {
        c.Set(x, y, static_cast<std::uint8_t>(kLand + std::min(7, static_cast<int>(light * 8))));
      } else {
        c.Set(x, y, static_cast<std::uint8_t>(kOcean + std::min(15, static_cast<int>(light * 16))));
      }
    }
  }
}

// Centre of the travelling sheet at t in [0, 1].
void PathAt(double t, double& x, double& y) {
  x = 62 + t * (232 - 62);
  y = 36 - 24 * std::sin(std::numbers::pi * t);
}

void Paper(Canvas& c, int cx, int cy) {
  const int l = cx - 7, t = cy - 9, r = cx + 7, b = cy + 9;
  c.Box(l, t, r, b, kPaper, kPaperEdge);
  for (int i = 0; i < 4; ++i) c.Set(r - 1 - i, t + i, kBack);  // the folded corner
  for (int i = 0; i < 4; ++i) c.Fill(r - 5, t + i, r - 4 + i, t + i + 1, kPaperFold);
  c.Fill(r - 5, t + 4, r, t + 5, kPaperEdge);
  for (int row = t + 7; row < b - 2; row += 3) c.Fill(l + 3, row, r - 3, row + 1, kPaperLine);
}

}  // namespace

const std::array<std::uint32_t, 256>& Palette() {
  static const std::array<std::uint32_t, 256> palette = [] {
    std::array<std::uint32_t, 256> p{};
    p[kBack] = 0xF0F0F0;
    for (int i = 0; i < kOceanShades; ++i) {
      const double s = i / double(kOceanShades - 1);
      p[kOcean + i] = Rgb(20 + 60 * s, 60 + 110 * s, 140 + 110 * s);
    }
    for (int i = 0; i < kLandShades; ++i) {
      const double s = i / double(kLandShades - 1);
      p[kLand + i] = Rgb(40 + 90 * s, 110 + 100 * s, 40 + 60 * s);
    }
    p[kGlobeEdge] = 0x1A2A5A;
    p[kPaper] = 0xFFFFFF;
    p[kPaperLine] = 0xA0A8B8;
    p[kPaperEdge] = 0x404040;
    p[kFolderLight] = 0xF6D66A;
    p[kFolderMid] = 0xE0B040;
    p[kFolderDark] = 0xB08020;
    p[kFolderEdge] = 0x705010;
    p[kTrail] = 0xB0B8C8;
    p[kPaperFold] = 0xD8D8D8;
    return p;
  }();
  return palette;
}

Frame DrawFrame(int index) {
  Canvas c;
  Globe(c, index * 2 * std::numbers::pi / kFrames);
  const double t = index / double(kFrames - 1);
  for (int k = 1; k <= 4; ++k) {
    double x = 0, y = 0;
    if (t - 0.07 * k < 0) break;
    PathAt(t - 0.07 * k, x, y);
    c.Fill(static_cast<int>(x) - 1, static_cast<int>(y) - 1, static_cast<int>(x) + 1,
           static_cast<int>(y) + 1, kTrail);
  }
  c.Box(214, 16, 264, 52, kFolderMid, kFolderEdge);  // back panel
  c.Box(214, 11, 234, 17, kFolderMid, kFolderEdge);  // its tab
  c.Fill(215, 16, 233, 17, kFolderMid);
  c.Fill(216, 18, 262, 22, kFolderDark);  // the inside
  double x = 0, y = 0;
  PathAt(t, x, y);
  Paper(c, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
  // Front panel, leaning back: the sheet disappears behind it.
  for (int row = 26; row < 52; ++row) {
    const int shift = (52 - row) / 5;
    const std::uint8_t fill = row < 30 ? kFolderLight : kFolderMid;
    c.Fill(208 + shift, row, 260 + shift, row + 1, row == 26 || row == 51 ? kFolderEdge : fill);
    c.Set(208 + shift, row, kFolderEdge);
    c.Set(259 + shift, row, kFolderEdge);
  }
  return c.Take();
}

}  // namespace vt::clip
