// libFuzzer target for the wildcard rule. The input is "pattern\ntitle"; the
// title may hold further newlines. Short inputs are checked against the plain
// reference matcher; any disagreement aborts (libFuzzer keeps the input).
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

  const bool got = vt::TitleMatches(title, pattern);
  const bool malformed = vt::IsMalformedPattern(pattern);
  if (malformed && got) std::abort();  // a malformed pattern matches nothing
  // The reference fills a title x pattern table; keep it cheap.
  if (size <= 256 && (got != vt::ref::Matches(title, pattern) ||
                      malformed == vt::ref::Parse(pattern).has_value())) {
    std::abort();
  }
  return 0;
}
