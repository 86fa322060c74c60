// libFuzzer target for the update manifest: whatever the bytes, the parser
// must not crash, and what it accepts must be safe to act on.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "about/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exact-size heap copy, so ASan sees a read past the end.
  const std::vector<char> bytes(data, data + size);
  const auto m = vt::ParseManifest(std::string_view(bytes.data(), bytes.size()));
  if (m && !vt::IsAllowedUpdateUrl(m->url)) std::abort();
  if (m && vt::ParseVersion(vt::VersionText(m->version)) != m->version) std::abort();
  return 0;
}
