// libFuzzer target for the wildcard rule. The input is "pattern\ntitle"; the
// title may hold further newlines. Short inputs are checked against the plain
// reference matcher, and any disagreement aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "reference_match.h"
#include "windows/title_match.h"

namespace {

// Exact-size heap copies, so ASan sees a read past the end of either string.
struct Owned {
  std::unique_ptr<char[]> bytes;
  std::string_view view;
  explicit Owned(std::string_view s) : bytes(new char[s.size()]) {
    if (!s.empty()) std::memcpy(bytes.get(), s.data(), s.size());
    view = std::string_view(bytes.get(), s.size());
  }
};

void Dump(const char* what, std::string_view s) {
  std::fprintf(stderr, "%s (%zu bytes):", what, s.size());
  for (unsigned char c : s) std::fprintf(stderr, " %02X", c);
  std::fputc('\n', stderr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = in.find('\n');
  const Owned pattern(in.substr(0, cut));
  const Owned title(cut == std::string_view::npos ? std::string_view() : in.substr(cut + 1));

  const bool got = vt::TitleMatches(title.view, pattern.view);
  const bool malformed = vt::IsMalformedPattern(pattern.view);
  if (malformed && got) {
    Dump("malformed pattern matched", pattern.view);
    std::abort();
  }
  // The reference fills a table of title x pattern; keep it cheap.
  if (size <= 256) {
    const bool want = vt::ref::Matches(title.view, pattern.view);
    const bool ref_malformed = !vt::ref::Parse(pattern.view).has_value();
    if (got != want || malformed != ref_malformed) {
      Dump("pattern", pattern.view);
      Dump("title", title.view);
      std::fprintf(stderr, "TitleMatches %d reference %d; malformed %d reference %d\n", got, want,
                   malformed, ref_malformed);
      std::abort();
    }
  }
  return 0;
}
