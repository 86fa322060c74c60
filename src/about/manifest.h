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
// blank lines skipped, unknown keys ignored.
std::optional<UpdateManifest> ParseManifest(std::string_view text);

// Where update files may come from: https to any host, or plain http only to
// this machine (127.0.0.1, localhost, [::1]). No user name in the address, no
// blanks, backslashes or control characters.
bool IsAllowedUpdateUrl(std::string_view url);

// "Vel-Tarrow-Setup-" + version + ".exe": the name is ours, never the server's.
std::string SetupFileName(const Version& v);

}  // namespace vt
