#include "about/manifest.h"

#include <algorithm>
#include <cctype>

namespace vt {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Visible ASCII and the blank; anything else makes a manifest unreadable.
bool IsPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<unsigned> ParsePart(std::string_view s) {
  if (s.empty() || s.size() > 5) return std::nullopt;
  unsigned v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return std::nullopt;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 65535) return std::nullopt;
  return v;
}

std::optional<std::uint64_t> ParseSize(std::string_view s) {
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return std::nullopt;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v == 0 || v > kMaxSetupBytes) return std::nullopt;
  return v;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ParseHex(std::string_view s) {
  if (s.size() != 2 * N) return std::nullopt;
  std::array<std::uint8_t, N> out{};
  for (std::size_t i = 0; i < N; ++i) {
    const int hi = HexValue(s[2 * i]), lo = HexValue(s[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return out;
}

bool IsLoopbackHost(std::string_view host) {
  return host == "127.0.0.1" || host == "[::1]" || EqualsNoCase(host, "localhost");
}

}  // namespace

std::optional<Version> ParseVersion(std::string_view text) {
  const std::size_t a = text.find('.');
  if (a == std::string_view::npos) return std::nullopt;
  const std::size_t b = text.find('.', a + 1);
  if (b == std::string_view::npos) return std::nullopt;
  const auto major = ParsePart(text.substr(0, a));
  const auto minor = ParsePart(text.substr(a + 1, b - a - 1));
  const auto revision = ParsePart(text.substr(b + 1));  // a third '.' fails here
  if (!major || !minor || !revision) return std::nullopt;
  return Version{*major, *minor, *revision};
}

std::string VersionText(const Version& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

std::string UrlProblem(std::string_view url) {
  if (url.size() > kMaxUrlLength) return "is longer than 2048 characters";
  if (!std::all_of(url.begin(), url.end(), [](char c) { return IsPrintable(c) && c != ' '; }) ||
      url.find('\\') != std::string_view::npos) {
    return "may not contain blanks, backslashes or control characters";
  }
  const std::size_t colon = url.find("://");
  const std::string_view scheme = url.substr(0, colon);
  const bool https = EqualsNoCase(scheme, "https");
  if (colon == std::string_view::npos || (!https && !EqualsNoCase(scheme, "http"))) {
    return "must begin with https://";
  }
  const std::string_view rest = url.substr(colon + 3);
  const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  // A user name would let "http://127.0.0.1@elsewhere/" pass as loopback.
  if (authority.find('@') != std::string_view::npos) return "may not name a user";
  std::string_view host = authority;
  const std::size_t portAt = authority.rfind(':');
  if (portAt != std::string_view::npos && authority.find(']', portAt) == std::string_view::npos) {
    const auto number = ParsePart(authority.substr(portAt + 1));
    if (!number || *number == 0) return "has an invalid port";
    host = authority.substr(0, portAt);
  }
  if (host.empty()) return "has no host name";
  if (host.size() > kMaxHostLength) return "has a host name longer than 255 characters";
  return https || IsLoopbackHost(host) ? "" : "must begin with https://";
}

std::string RedirectProblem(std::string_view from, std::string_view to) {
  std::string problem = UrlProblem(to);
  if (problem.empty() && EqualsNoCase(from.substr(0, 6), "https:") &&
      !EqualsNoCase(to.substr(0, 6), "https:")) {
    problem = "must stay on https";
  }
  return problem;
}

std::optional<std::array<std::uint8_t, 64>> ParseHex64(std::string_view hex) {
  return ParseHex<64>(hex);
}

std::optional<SignedText> SplitSignature(std::string_view manifest) {
  if (manifest.ends_with("\n")) manifest.remove_suffix(manifest.ends_with("\r\n") ? 2 : 1);
  const std::size_t at = manifest.rfind('\n') + 1;  // npos + 1: the whole text is the line
  const std::string_view line = manifest.substr(at);
  if (!line.starts_with("sig=")) return std::nullopt;
  const auto signature = ParseHex64(line.substr(4));
  if (!signature) return std::nullopt;
  return SignedText{manifest.substr(0, at), *signature};
}

std::optional<UpdateChannel> ChooseUpdateChannel(std::string_view builtUrl,
                                                 std::string_view builtKeyHex,
                                                 std::string_view userUrl) {
  const auto key = ParseHex64(builtKeyHex);
  if (builtUrl.empty() || !key) return std::nullopt;
  return UpdateChannel{std::string(userUrl.empty() ? builtUrl : userUrl), *key};
}

std::optional<UpdateManifest> ParseManifest(std::string_view text, std::string* why) {
  if (text.size() > kMaxManifestBytes) return std::nullopt;
  std::optional<std::string_view> version, url, size, sha256, note;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!std::all_of(line.begin(), line.end(), IsPrintable)) return std::nullopt;
    if (line.empty() || line.front() == '#') continue;

    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;  // not a key=value line
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    std::optional<std::string_view>* slot = key == "version"  ? &version
                                            : key == "url"    ? &url
                                            : key == "size"   ? &size
                                            : key == "sha256" ? &sha256
                                            : key == "note"   ? &note
                                                              : nullptr;
    if (!slot) continue;
    if (slot->has_value()) return std::nullopt;  // twice: no way to tell which one is meant
    *slot = value;
  }
  if (!version || !url || !size || !sha256) return std::nullopt;

  UpdateManifest m;
  const auto v = ParseVersion(*version);
  const auto n = ParseSize(*size);
  const auto h = ParseHex<32>(*sha256);
  const std::string problem = UrlProblem(*url);
  if (!problem.empty() && why) *why = "the setup file's address " + problem;
  if (!v || !n || !h || !problem.empty()) return std::nullopt;
  m.version = *v;
  m.url = std::string(*url);
  m.size = *n;
  m.sha256 = *h;
  if (note) m.note = std::string(*note);
  return m;
}

std::string SetupFileName(const Version& v) {
  return "Vel-Tarrow-Setup-" + VersionText(v) + ".exe";
}

bool IsSetupFileUpTo(std::string_view name, const Version& current) {
  constexpr std::string_view prefix = "Vel-Tarrow-Setup-", suffix = ".exe";
  if (name.size() < prefix.size() + suffix.size() || !name.starts_with(prefix) ||
      !name.ends_with(suffix)) {
    return false;
  }
  const auto v =
      ParseVersion(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
  return v && *v <= current;
}

}  // namespace vt
