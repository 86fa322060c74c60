// A memory DC with a bitmap of its own, made like a given DC and freed
// together with it.
#pragma once

#include <windows.h>

#include <utility>

namespace vt {

class MemorySurface {
 public:
  MemorySurface() = default;
  MemorySurface(HDC like, int width, int height)
      : dc_(CreateCompatibleDC(like)),
        bitmap_(CreateCompatibleBitmap(like, width, height)),
        width_(width),
        height_(height) {
    if (dc_ && bitmap_) {
      old_ = SelectObject(dc_, bitmap_);
      SetStretchBltMode(dc_, COLORONCOLOR);  // exact pixels, no blending
    }
  }
  MemorySurface(MemorySurface&& other) noexcept { *this = std::move(other); }
  MemorySurface& operator=(MemorySurface&& other) noexcept {
    std::swap(dc_, other.dc_);
    std::swap(bitmap_, other.bitmap_);
    std::swap(old_, other.old_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    return *this;
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;
  ~MemorySurface() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }

  HDC dc() const { return old_ ? dc_ : nullptr; }  // nullptr when it could not be made
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace vt
