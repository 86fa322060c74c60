// Fetching the update manifest: one small GET over WinINet with short
// time-outs. Blocking: the About box runs it on a worker thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "about/manifest.h"

namespace vt {

// Connect, send and receive time-outs of one fetch.
inline constexpr DWORD kFetchTimeoutMs = 8000;

struct FetchResult {
  std::optional<std::string> body;
  std::string problem;  // without a body, what went wrong, when it can be told
};

// The body of a "200" reply to `url`, following redirects that pass
// RedirectProblem; nothing for an address outside the update rule, no
// connection, another status, a time-out or a body larger than `maxBytes`.
FetchResult FetchSmallText(const std::string& url, std::size_t maxBytes,
                           DWORD timeoutMs = kFetchTimeoutMs);

// The channel this build offers: the address and key it was built with,
// `url` in place of the address when not empty. Nothing: no update check.
std::optional<UpdateChannel> OfferedUpdateChannel(std::string_view url = {});

}  // namespace vt
