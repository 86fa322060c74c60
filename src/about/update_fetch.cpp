#include "about/update_fetch.h"

#include <wininet.h>

#include "download/inet_request.h"

#ifndef VT_UPDATE_URL
#define VT_UPDATE_URL ""
#endif
#ifndef VT_UPDATE_KEY
#define VT_UPDATE_KEY ""
#endif

namespace vt {

FetchResult FetchSmallText(const std::string& url, std::size_t maxBytes, DWORD timeoutMs) {
  if (const std::string problem = UrlProblem(url); !problem.empty()) {
    return {std::nullopt, "its address " + problem};
  }
  RequestSpec call{url, "", "", "", timeoutMs, "text/plain", RedirectProblem};
  InetRequest r = SendFollowing(call);
  if (!r.refused.empty()) {
    return {std::nullopt, "it was redirected to " + r.url + ", whose address " + r.refused};
  }
  if (!r.request) {
    const std::string certificate = CertificateProblem(r.error);
    return {std::nullopt, certificate.empty() ? "" : "the server's certificate " + certificate};
  }
  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoA(r.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr) ||
      status != 200) {
    return {};
  }
  std::string body;
  char chunk[1024];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(r.request.get(), chunk, sizeof chunk, &got)) return {};
    if (got == 0) break;
    body.append(chunk, got);
    if (body.size() > maxBytes) return {};  // refused, not cut short
  }
  return {std::move(body), ""};
}

std::optional<UpdateChannel> OfferedUpdateChannel(std::string_view url) {
  return ChooseUpdateChannel(VT_UPDATE_URL, VT_UPDATE_KEY, url);
}

}  // namespace vt
