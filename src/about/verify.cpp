#include "about/verify.h"

#include <bcrypt.h>

#include <utility>
#include <vector>

namespace vt {
namespace {

struct AlgTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { BCryptDestroyKey(h); }
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

// The SHA-256 of the pieces `next` hands out until it gives an empty one;
// nothing when `next` fails (returns false) or the provider does.
template <class Next>
std::optional<Sha256Digest> Sha256Of(Next next) {
  UniqueHandle<AlgTraits> alg;
  UniqueHandle<HashTraits> hash;
  if (!Ok(BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
      !Ok(BCryptCreateHash(alg.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  for (std::string_view piece;;) {
    if (!next(piece)) return std::nullopt;
    if (piece.empty()) break;
    if (!Ok(BCryptHashData(hash.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(piece.data())),
                           static_cast<ULONG>(piece.size()), 0))) {
      return std::nullopt;
    }
  }
  Sha256Digest digest{};
  if (!Ok(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    return std::nullopt;
  }
  return digest;
}

std::optional<Sha256Digest> Sha256OfFile(HANDLE file) {
  std::vector<char> buffer(64 * 1024);
  return Sha256Of([&](std::string_view& piece) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      return false;
    }
    piece = std::string_view(buffer.data(), got);
    return true;
  });
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

bool VerifySignature(std::string_view data, const Signature& signature, const PublicKey& key) {
  const auto digest = Sha256Of([&data](std::string_view& piece) {
    piece = std::exchange(data, {});
    return true;
  });
  UniqueHandle<AlgTraits> ecdsa;
  UniqueHandle<KeyTraits> publicKey;
  if (!digest) return false;
  Sha256Digest hashed = *digest;  // the call takes non-const buffers
  struct {
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    PublicKey xy;
  } blob;
  blob.xy = key;
  Signature rs = signature;  // the call takes a non-const buffer
  return Ok(BCryptOpenAlgorithmProvider(ecdsa.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
         Ok(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, publicKey.put(),
                                reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)) &&
         BCryptVerifySignature(publicKey.get(), nullptr, hashed.data(),
                               static_cast<ULONG>(hashed.size()), rs.data(),
                               static_cast<ULONG>(rs.size()), 0) == 0;
}

}  // namespace vt
