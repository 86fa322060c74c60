#include "about/update_fetch.h"

#include <wininet.h>

#include "about/manifest.h"
#include "download/inet_handle.h"
#include "version.h"

namespace vt {
namespace {

void SetTimeouts(HINTERNET h, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    InternetSetOptionA(h, option, &ms, sizeof ms);
  }
}

}  // namespace

std::optional<std::string> FetchSmallText(const std::string& url, std::size_t maxBytes,
                                          DWORD timeoutMs) {
  if (!IsAllowedUpdateUrl(url)) return std::nullopt;

  char host[256] = {}, path[2048] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return std::nullopt;
  const bool https = parts.nScheme == INTERNET_SCHEME_HTTPS;

  UniqueInternet session(
      InternetOpenA(VT_PRODUCT_NAME, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return std::nullopt;
  SetTimeouts(session.get(), timeoutMs);
  UniqueInternet connection(InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return std::nullopt;
  const char* accept[] = {"text/plain", "*/*", nullptr};
  // No redirects: a reply may not send the check somewhere the rule never saw.
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT |
                      (https ? INTERNET_FLAG_SECURE : 0);
  UniqueInternet request(HttpOpenRequestA(connection.get(), "GET", *path ? path : "/", nullptr,
                                          nullptr, accept, flags, 0));
  if (!request) return std::nullopt;
  SetTimeouts(request.get(), timeoutMs);
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;

  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr) ||
      status != 200) {
    return std::nullopt;
  }

  std::string body;
  char chunk[1024];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request.get(), chunk, sizeof chunk, &got)) return std::nullopt;
    if (got == 0) break;
    body.append(chunk, got);
    if (body.size() > maxBytes) return std::nullopt;  // refused, not cut short
  }
  return body;
}

}  // namespace vt
