// Checking what the update check fetched: the manifest's signature, and a
// downloaded file's size and SHA-256 before it is run, with the system's CNG.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "about/manifest.h"
#include "handle.h"

namespace vt {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The SHA-256 of everything from the file's current position to its end;
// nothing when a read or the provider fails.
std::optional<Sha256Digest> Sha256OfFile(HANDLE file);

// Opens `path` for reading with writers and deleters shut out, and returns
// the handle only when the file has exactly `size` bytes and hashes to
// `sha256`. Holding it keeps the checked bytes in place until the file has
// been started.
UniqueKernelHandle OpenIfMatches(const std::string& path, std::uint64_t size,
                                 const Sha256Digest& sha256);

// True when `signature` is an ECDSA P-256 signature of the SHA-256 of
// `data` by `key`, checked by the system's CNG provider.
bool VerifySignature(std::string_view data, const Signature& signature, const PublicKey& key);

}  // namespace vt
