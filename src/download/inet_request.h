// One HTTP request over WinINet that follows redirects itself, a bounded
// number of hops, each one put to the caller's rule before it is followed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "download/inet_handle.h"

namespace vt {

// Why the redirect from one address to the next is not followed; "" when it is.
using HopRule = std::function<std::string(const std::string& from, const std::string& to)>;
inline constexpr int kMaxRedirects = 5;
inline constexpr char kTooManyRedirects[] = "is past the limit of 5 redirects";

struct RequestSpec {
  std::string url, headers, user, password;  // headers: lines ending in CR LF
  DWORD timeoutMs = 30000;                   // connect, send and receive
  const char* accept = "*/*";
  HopRule rule;  // empty: every redirect is followed, up to the limit
  std::string verb = "GET";
};

struct InetRequest {
  UniqueInternet session, connection, request;  // request: the reply, when one came
  std::string url;                              // the address that replied, or the redirect refused
  std::string refused;                          // why `url` was not followed, else empty
  DWORD error = 0;                              // why no reply came (a WinINet error)
};

InetRequest SendFollowing(const RequestSpec& call);

// One header of a reply (HTTP_QUERY_...), however long; "" when it has none.
std::string QueryText(HINTERNET request, DWORD info);

// A WinINet error that means the server's certificate was refused: what is
// wrong with it ("is not trusted"), else "".
std::string CertificateProblem(DWORD error);

}  // namespace vt
