// libFuzzer target for the update manifest. Whatever the bytes, the parser
// must not crash, and what it accepts must be safe to act on: an allowed URL,
// a size in range, a version that reads back the same, a one-line note.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "about/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exact-size heap copy, so ASan sees a read past the end.
  const std::vector<char> bytes(data, data + size);
  const auto m = vt::ParseManifest(std::string_view(bytes.data(), bytes.size()));
  if (!m) return 0;
  if (size > vt::kMaxManifestBytes) std::abort();
  if (!vt::IsAllowedUpdateUrl(m->url)) std::abort();
  if (m->size == 0 || m->size > vt::kMaxSetupBytes) std::abort();
  if (vt::ParseVersion(vt::VersionText(m->version)) != m->version) std::abort();
  for (char c : m->note + m->url) {
    if (c < 0x20 || c > 0x7E) std::abort();
  }
  const std::string file = vt::SetupFileName(m->version);
  if (file.find_first_of("\\/:") != std::string::npos) std::abort();
  return 0;
}
