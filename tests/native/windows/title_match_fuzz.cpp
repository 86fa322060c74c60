// The wildcard rule against the reference matcher on "pattern\ntitle" inputs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "reference_match.h"
#include "windows/title_match.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = std::min(in.find('\n'), size);
  // Exact-size heap copies, so ASan sees a read past the end of either string.
  const std::vector<char> p(in.begin(), in.begin() + cut),
      t(in.begin() + std::min(cut + 1, size), in.end());
  const std::string_view pattern(p.data(), p.size()), title(t.data(), t.size());

  // Inputs stay short (MAX_LEN), so the reference's title x pattern table is cheap.
  if (vt::TitleMatches(title, pattern) != vt::ref::Matches(title, pattern) ||
      vt::IsMalformedPattern(pattern) == vt::ref::Parse(pattern).has_value()) {
    std::abort();
  }
  return 0;
}
