// A plain second wildcard matcher, sharing nothing with the real one, for the differential tests.
#pragma once

#include <bitset>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace vt::ref {

// A star, or one character with the byte codes it may have.
using Element = std::pair<bool, std::bitset<256>>;

// nullopt for a malformed pattern.
inline std::optional<std::vector<Element>> Parse(std::string_view p) {
  std::vector<Element> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const unsigned char c = p[i];
    auto& [star, accepts] = out.emplace_back();
    if (c == '*') {
      star = true;
    } else if (c == '?') {
      accepts.set();
    } else if (c == '#') {
      for (int d = '0'; d <= '9'; ++d) accepts[d] = true;
    } else if (c != '[') {
      accepts[c] = true;
    } else {
      const bool negate = i + 1 < p.size() && p[i + 1] == '!';
      const std::size_t from = i + 1 + negate, close = p.find(']', from);
      if (close == std::string_view::npos) return std::nullopt;
      const std::string_view body = p.substr(from, close - from);
      i = close;
      if (body.empty() && !negate) out.pop_back();  // "[]" consumes nothing
      for (std::size_t k = 0; k < body.size(); ++k) {
        unsigned char lo = body[k], hi = lo;
        if (k + 2 < body.size() && body[k + 1] == '-') hi = body[k += 2];
        if (lo > hi) return std::nullopt;
        for (int x = lo; x <= hi; ++x) accepts[x] = true;
      }
      if (negate) accepts.flip();
    }
  }
  return out;
}

inline bool Matches(std::string_view title, std::string_view pattern) {
  const auto el = Parse(pattern);
  if (!el) return false;
  const std::size_t n = title.size(), m = el->size();
  // ok[i][k]: title from i is matched by the elements from k.
  std::vector<std::vector<char>> ok(n + 1, std::vector<char>(m + 1, 0));
  ok[n][m] = 1;
  for (std::size_t i = n + 1; i-- > 0;) {
    for (std::size_t k = m; k-- > 0;) {
      const auto& [star, accepts] = (*el)[k];
      ok[i][k] = star ? ok[i][k + 1] || (i < n && ok[i + 1][k])
                      : i < n && accepts[static_cast<unsigned char>(title[i])] && ok[i + 1][k + 1];
    }
  }
  return ok[0][0];
}

}  // namespace vt::ref
