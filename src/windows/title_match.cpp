#include "windows/title_match.h"

#include <cstddef>

namespace vt {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

unsigned char Code(char c) { return static_cast<unsigned char>(c); }

// Walks the group that starts after '[' at `pos` (past any leading '!').
// Calls on_item(lo, hi) for each single character (lo == hi) or range.
// Returns the index of the closing ']', or kNone when there is none.
template <typename OnItem>
std::size_t WalkGroup(std::string_view p, std::size_t pos, OnItem&& on_item) {
  std::size_t i = pos;
  while (i < p.size() && p[i] != ']') {
    if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']') {
      on_item(Code(p[i]), Code(p[i + 2]));
      i += 3;
    } else {
      on_item(Code(p[i]), Code(p[i]));
      ++i;
    }
  }
  return i < p.size() ? i : kNone;
}

// Does the single-character element at p[pi] (not '*', not "[]") accept c?
// Sets next to the index after the element. The pattern is known to be well formed.
bool ElementAccepts(std::string_view p, std::size_t pi, unsigned char c, std::size_t& next) {
  switch (p[pi]) {
    case '?':
      next = pi + 1;
      return true;
    case '#':
      next = pi + 1;
      return c >= '0' && c <= '9';
    case '[': {
      std::size_t g = pi + 1;
      const bool negate = g < p.size() && p[g] == '!';
      if (negate) ++g;
      bool in = false;
      const std::size_t close =
          WalkGroup(p, g, [&](unsigned char lo, unsigned char hi) { in |= (c >= lo && c <= hi); });
      next = close + 1;
      return in != negate;
    }
    default:
      next = pi + 1;
      return Code(p[pi]) == c;
  }
}

}  // namespace

bool IsMalformedPattern(std::string_view p) {
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '[') continue;
    std::size_t g = i + 1;
    if (g < p.size() && p[g] == '!') ++g;
    bool reversed = false;
    const std::size_t close =
        WalkGroup(p, g, [&](unsigned char lo, unsigned char hi) { reversed |= lo > hi; });
    if (close == kNone || reversed) return true;
    i = close;
  }
  return false;
}

bool TitleMatches(std::string_view title, std::string_view p) {
  if (p.find('[') != std::string_view::npos && IsMalformedPattern(p)) return false;

  // Every element but '*' consumes exactly one character (or none, for "[]"),
  // so backtracking to the last star alone is enough: O(n * m), no recursion.
  std::size_t ti = 0, pi = 0;
  std::size_t star_p = kNone, star_t = 0;
  const std::size_t n = title.size(), m = p.size();
  for (;;) {
    while (pi + 1 < m && p[pi] == '[' && p[pi + 1] == ']') pi += 2;
    if (pi < m && p[pi] == '*') {
      star_p = ++pi;
      star_t = ti;
      continue;
    }
    if (ti == n) return pi == m;
    std::size_t next = 0;
    if (pi < m && ElementAccepts(p, pi, Code(title[ti]), next)) {
      pi = next;
      ++ti;
      continue;
    }
    if (star_p == kNone) return false;
    pi = star_p;
    ti = ++star_t;
  }
}

}  // namespace vt
