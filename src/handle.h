// A small owner for Win32 handles: one template, a traits type per handle kind.
#pragma once

#include <windows.h>

#include <utility>

namespace vt {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }
  // For out-parameters: frees what is held, then hands out the slot.
  Handle* put() {
    reset();
    return &h_;
  }
  Handle release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct HKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
using UniqueHKey = UniqueHandle<HKeyTraits>;

template <typename T>
struct GdiTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
using UniqueHRgn = UniqueHandle<GdiTraits<HRGN>>;
using UniqueHBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueHBrush = UniqueHandle<GdiTraits<HBRUSH>>;

struct KernelTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelTraits>;

}  // namespace vt
