#include "windows/title_match.h"

#include <cstddef>
#include <cstring>

namespace vt {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

unsigned char Code(char c) { return static_cast<unsigned char>(c); }

// A character that stands for itself where it is (outside a group).
bool IsPlain(char e) { return e != '*' && e != '?' && e != '#' && e != '['; }

// Does '?', '#' or a plain character accept c?
bool SingleAccepts(char e, unsigned char c) {
  if (e == '?') return true;
  if (e == '#') return c >= '0' && c <= '9';
  return Code(e) == c;
}

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
  // Most titles differ from a pattern in its first or last characters, and
  // most close-list patterns are plain text with at most a star or two:
  // settle those cheaply before the general walk.
  if (!p.empty() && IsPlain(p[0]) && (title.empty() || title[0] != p[0])) return false;

  // Elements after the last '*', '[' or ']' are outside any group and take
  // exactly one character each, so they pair off with the end of the title.
  std::size_t n = title.size(), m = p.size();
  while (m > 0 && p[m - 1] != '*' && p[m - 1] != '[' && p[m - 1] != ']') {
    if (n == 0 || !SingleAccepts(p[m - 1], Code(title[n - 1]))) return false;
    --m;
    --n;
  }
  if (m == 0) return n == 0;
  p = p.substr(0, m);
  title = title.substr(0, n);
  if (p.find('[') != std::string_view::npos && IsMalformedPattern(p)) return false;

  // Every element but '*' consumes exactly one character (or none, for "[]"),
  // so backtracking to the last star alone is enough: O(n * m), no recursion.
  std::size_t ti = 0, pi = 0;
  std::size_t star_p = kNone, star_t = 0;
  for (;;) {
    while (pi + 1 < m && p[pi] == '[' && p[pi + 1] == ']') pi += 2;
    if (pi < m && p[pi] == '*') {
      star_p = ++pi;
      star_t = ti;
      if (pi == m) return true;  // a final star takes the rest
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
    // A plain character after the star: jump to its next occurrence.
    if (IsPlain(p[pi])) {
      const void* hit = std::memchr(title.data() + ti, p[pi], n - ti);
      if (hit == nullptr) return false;
      ti = star_t = static_cast<std::size_t>(static_cast<const char*>(hit) - title.data());
    }
  }
}

}  // namespace vt
