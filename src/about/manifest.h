// The update manifest: a few lines of "key=value" text that name the newest
// release, where its setup file is and how to recognise it. Pure code: the
// parser is strict, so anything it does not fully understand is no update.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vt {

// Larger manifests are refused unread.
inline constexpr std::size_t kMaxManifestBytes = 4096;
// Longer addresses are refused: the HTTP client takes no more.
inline constexpr std::size_t kMaxUrlLength = 2048;
inline constexpr std::size_t kMaxHostLength = 255;
// Setup files above this are refused: the download counts in 32-bit signed bytes.
inline constexpr std::uint64_t kMaxSetupBytes = 0x7FFFFFFF;

struct Version {
  // Each part fits the 16-bit fields of a version resource.
  unsigned major = 0, minor = 0, revision = 0;
  auto operator<=>(const Version&) const = default;
};

// "major.minor.revision": three groups of 1 to 5 digits, each at most 65535,
// nothing else (no sign, no blanks, no fourth part).
std::optional<Version> ParseVersion(std::string_view text);
std::string VersionText(const Version& v);

struct UpdateManifest {
  Version version;
  std::string url;  // the setup file; passes IsAllowedUpdateUrl
  std::uint64_t size = 0;
  std::array<std::uint8_t, 32> sha256{};
  std::string note;  // may be empty
};

// The manifest or nothing: every required key exactly once and well formed,
// ASCII only, lines split at LF with an optional CR before it, '#' lines and
// blank lines skipped, unknown keys ignored. When the setup address is what
// fails, `why` says what is wrong with it.
std::optional<UpdateManifest> ParseManifest(std::string_view text, std::string* why = nullptr);

// Where update files may come from: https to any host, or plain http only to
// this machine (127.0.0.1, localhost, [::1]). No user name in the address, no
// blanks, backslashes or control characters, at most kMaxUrlLength long.
// UrlProblem says what is wrong ("must begin with https://"), "" when nothing is.
std::string UrlProblem(std::string_view url);
inline bool IsAllowedUpdateUrl(std::string_view url) {
  return UrlProblem(url).empty();
}
// A redirect passes the same rule, and never leads from https to plain http.
std::string RedirectProblem(std::string_view from, std::string_view to);

// ECDSA P-256: a public key is X then Y, a signature r then s, 32 bytes each.
using PublicKey = std::array<std::uint8_t, 64>;
using Signature = std::array<std::uint8_t, 64>;
std::optional<std::array<std::uint8_t, 64>> ParseHex64(std::string_view hex);

// A signed manifest ends in the line "sig=" + 128 hex digits (and an optional
// line end); the signature covers every byte before that line.
struct SignedText {
  std::string_view text;
  Signature signature;
};
std::optional<SignedText> SplitSignature(std::string_view manifest);

// Where the update check reads, and the key its manifests must be signed
// with. Nothing, and so no check offered, until the build has both; an
// address the user set replaces the built one.
struct UpdateChannel {
  std::string url;
  PublicKey key;
};
std::optional<UpdateChannel> ChooseUpdateChannel(std::string_view builtUrl,
                                                 std::string_view builtKeyHex,
                                                 std::string_view userUrl);

// "Vel-Tarrow-Setup-" + version + ".exe": the name is ours, never the server's.
std::string SetupFileName(const Version& v);
// A setup file name of `current` or an older version: one that has done its work.
bool IsSetupFileUpTo(std::string_view name, const Version& current);

}  // namespace vt
