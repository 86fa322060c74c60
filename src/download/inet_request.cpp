#include "download/inet_request.h"

#include <wininet.h>

namespace vt {
namespace {

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

InetRequest SendFollowing(const RequestSpec& call) {
  InetRequest r;
  r.url = call.url;
  r.session.reset(InternetOpenA("Vel-Tarrow", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!r.session) return r.error = GetLastError(), std::move(r);
  DWORD ms = call.timeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_SEND_TIMEOUT}) {
    InternetSetOptionA(r.session.get(), option, &ms, sizeof ms);
  }
  for (int hop = 0;; ++hop) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = {}, path[INTERNET_MAX_URL_LENGTH] = {},
         extra[INTERNET_MAX_URL_LENGTH] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host, parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path, parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra, parts.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(r.url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
      return r.error = ERROR_INTERNET_INVALID_URL, std::move(r);
    }
    r.connection.reset(InternetConnectA(
        r.session.get(), host, parts.nPort, call.user.empty() ? nullptr : call.user.c_str(),
        call.password.empty() ? nullptr : call.password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    if (!r.connection) return r.error = GetLastError(), std::move(r);
    const char* accept[] = {call.accept, nullptr};
    // Redirects are ours to follow, so that every hop meets the rule.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const std::string object = std::string(*path ? path : "/") + extra;
    r.request.reset(HttpOpenRequestA(r.connection.get(), call.verb.c_str(), object.c_str(), nullptr,
                                     nullptr, accept, flags, 0));
    if (!r.request) return r.error = GetLastError(), std::move(r);
    InternetSetOptionA(r.request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
    if (!HttpSendRequestA(r.request.get(), call.headers.c_str(),
                          static_cast<DWORD>(call.headers.size()), nullptr, 0)) {
      r.error = GetLastError();
      r.request.reset();
      return r;
    }
    DWORD status = 0, size = sizeof status;
    HttpQueryInfoA(r.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                   nullptr);
    const std::string location = QueryText(r.request.get(), HTTP_QUERY_LOCATION);
    if (!IsRedirect(status) || location.empty()) return r;

    // The next hop, relative to this one; what the server sent is what is checked.
    std::string next(INTERNET_MAX_URL_LENGTH + 1, '\0');
    DWORD length = static_cast<DWORD>(next.size());
    next = InternetCombineUrlA(r.url.c_str(), location.c_str(), next.data(), &length, ICU_NO_ENCODE)
               ? next.substr(0, length)
               : location;
    r.request.reset();
    r.refused = hop >= kMaxRedirects ? kTooManyRedirects : call.rule ? call.rule(r.url, next) : "";
    r.url = next;
    if (!r.refused.empty()) return r.error = ERROR_HTTP_REDIRECT_FAILED, std::move(r);
  }
}

std::string QueryText(HINTERNET request, DWORD info) {
  std::string text(256, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(text.size());
    if (HttpQueryInfoA(request, info, text.data(), &size, nullptr)) return text.substr(0, size);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return "";
    text.assign(size + 1, '\0');
  }
}

std::string CertificateProblem(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:  // Wine's answer for an unknown authority
    case ERROR_INTERNET_SEC_INVALID_CERT:
      return "is not trusted";
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      return "is for another name";
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      return "has expired or is not valid yet";
    default:
      return "";
  }
}

}  // namespace vt
