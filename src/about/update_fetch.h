// Fetching the update manifest: one small GET over WinINet with short
// time-outs. Blocking: the About box runs it on a worker thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vt {

// Connect, send and receive time-outs of one fetch.
inline constexpr DWORD kFetchTimeoutMs = 8000;

// The body of a "200" reply to `url`, or nothing: an address outside the
// update rule, no connection, another status (redirects are not followed),
// a time-out, or a body larger than `maxBytes`.
std::optional<std::string> FetchSmallText(const std::string& url, std::size_t maxBytes,
                                          DWORD timeoutMs = kFetchTimeoutMs);

}  // namespace vt
