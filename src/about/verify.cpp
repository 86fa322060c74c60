#include "about/verify.h"

#include <bcrypt.h>

#include <vector>

namespace vt {
namespace {

struct AlgTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptDestroyHash(h); }
};

bool Ok(NTSTATUS status) {
  return status >= 0;
}

}  // namespace

std::optional<Sha256Digest> Sha256OfFile(HANDLE file) {
  UniqueHandle<AlgTraits> alg;
  UniqueHandle<HashTraits> hash;
  if (!Ok(BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
      !Ok(BCryptCreateHash(alg.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  std::vector<UCHAR> buffer(64 * 1024);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;
    if (!Ok(BCryptHashData(hash.get(), buffer.data(), got, 0))) return std::nullopt;
  }
  Sha256Digest digest{};
  if (!Ok(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    return std::nullopt;
  }
  return digest;
}

UniqueKernelHandle OpenIfMatches(const std::string& path, std::uint64_t size,
                                 const Sha256Digest& sha256) {
  UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER actual{};
  if (!file || !GetFileSizeEx(file.get(), &actual) ||
      static_cast<std::uint64_t>(actual.QuadPart) != size) {
    return {};
  }
  const auto digest = Sha256OfFile(file.get());
  if (!digest || *digest != sha256) return {};
  return file;
}

}  // namespace vt
