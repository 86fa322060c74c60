// A deliberately plain second implementation of the wildcard rule, for the
// differential test and the fuzzer: parse the pattern into elements, then fill
// a table "title from i matches elements from k". Slow and allocating on
// purpose; nothing here is shared with the real matcher.
#pragma once

#include <bitset>
#include <optional>
#include <string_view>
#include <vector>

namespace vt::ref {

struct Element {
  enum Kind { kStar, kOne, kNothing } kind = kOne;
  std::bitset<256> accepts;  // for kOne: which byte codes it takes
};

// nullopt for a malformed pattern.
inline std::optional<std::vector<Element>> Parse(std::string_view p) {
  std::vector<Element> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    Element e;
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (c == '*') {
      e.kind = Element::kStar;
    } else if (c == '?') {
      e.accepts.set();
    } else if (c == '#') {
      for (int d = '0'; d <= '9'; ++d) e.accepts[d] = true;
    } else if (c == '[') {
      std::size_t start = i + 1;
      const bool negate = start < p.size() && p[start] == '!';
      if (negate) ++start;
      const std::size_t close = p.find(']', start);
      if (close == std::string_view::npos) return std::nullopt;
      const std::string_view body = p.substr(start, close - start);
      i = close;
      if (body.empty() && !negate) {
        e.kind = Element::kNothing;
        out.push_back(e);
        continue;
      }
      std::bitset<256> in;
      for (std::size_t k = 0; k < body.size();) {
        const unsigned char lo = static_cast<unsigned char>(body[k]);
        if (k + 2 < body.size() && body[k + 1] == '-') {
          const unsigned char hi = static_cast<unsigned char>(body[k + 2]);
          if (lo > hi) return std::nullopt;
          for (int x = lo; x <= hi; ++x) in[x] = true;
          k += 3;
        } else {
          in[lo] = true;
          k += 1;
        }
      }
      e.accepts = negate ? ~in : in;
    } else {
      e.accepts[c] = true;
    }
    out.push_back(e);
  }
  return out;
}

inline bool Matches(std::string_view title, std::string_view pattern) {
  const auto elements = Parse(pattern);
  if (!elements) return false;
  const std::vector<Element>& el = *elements;
  const std::size_t n = title.size(), m = el.size();
  // ok(i, k): title[i..] is matched by el[k..].
  std::vector<char> table((n + 1) * (m + 1), 0);
  auto ok = [&](std::size_t i, std::size_t k) -> char& { return table[i * (m + 1) + k]; };
  ok(n, m) = 1;
  for (std::size_t i = n + 1; i-- > 0;) {
    for (std::size_t k = m; k-- > 0;) {
      switch (el[k].kind) {
        case Element::kStar:
          ok(i, k) = ok(i, k + 1) || (i < n && ok(i + 1, k));
          break;
        case Element::kNothing:
          ok(i, k) = ok(i, k + 1);
          break;
        case Element::kOne:
          ok(i, k) = i < n && el[k].accepts[static_cast<unsigned char>(title[i])] && ok(i + 1, k + 1);
          break;
      }
    }
  }
  return ok(0, 0) != 0;
}

}  // namespace vt::ref
