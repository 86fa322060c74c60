// The update manifest parser on any bytes: no crash, and what it accepts is safe to act on.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "about/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exact-size heap copy, so ASan sees a read past the end.
  const std::vector<char> bytes(data, data + size);
  const auto m = vt::ParseManifest(std::string_view(bytes.data(), bytes.size()));
  if (m && !vt::IsAllowedUpdateUrl(m->url)) std::abort();
  return 0;
}
