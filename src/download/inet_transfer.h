// The HTTP transfer component of the download dialog, over WinINet. The
// request and the reads run on a worker thread of their own, so the caller's
// thread only ever waits through the Waiter it passes in, which keeps its
// message loop running. The worker reads ahead a bounded amount; GetChunk
// hands the body out in pieces of at most the size asked for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "download/inet_request.h"

namespace vt {

class InetTransfer {
 public:
  // Waits until the handle is signalled or something else needs the caller
  // (messages); returns false to stop waiting (the download was abandoned).
  using Waiter = std::function<bool(HANDLE)>;

  InetTransfer() = default;
  ~InetTransfer();
  InetTransfer(const InetTransfer&) = delete;
  InetTransfer& operator=(const InetTransfer&) = delete;

  void SetUrl(const std::string& url) { url_ = url; }
  const std::string& Url() const { return url_; }
  void SetUserName(const std::string& user) { user_ = user; }
  void SetPassword(const std::string& password) { password_ = password; }
  // A server that sends nothing for this long ends the request or the body.
  void SetReceiveTimeout(DWORD ms) { receiveTimeoutMs_ = ms; }
  // Redirects are followed only where this rule allows.
  void SetHopRule(HopRule rule) { rule_ = std::move(rule); }

  // Starts the request ("GET", extra header lines ending in CR LF). False when
  // the URL cannot be used; the request then counts as done without a reply.
  bool Execute(const std::string& operation, const std::string& headers);
  bool StillExecuting() const;
  HANDLE Signal() const;  // set whenever the request moves on

  // The reply: the raw header block (status line first, lines ending in
  // CR LF), one named header's value, or empty when no reply came.
  std::string Headers() const;
  std::string Header(const std::string& name) const;
  DWORD Error() const;  // why no reply came (a WinINet error), else 0
  // A redirect the rule refused, and why; empty strings when none was.
  std::pair<std::string, std::string> RefusedRedirect() const;
  const std::string& RemoteHost() const { return host_; }

  // The next piece of the body: what has arrived, up to maxBytes, once that
  // is at least minBytes (by default maxBytes), or fewer at its end; empty
  // once it ended, was cut or timed out, or when wait gave up.
  std::vector<char> GetChunk(std::size_t maxBytes, const Waiter& wait,
                             std::size_t minBytes = SIZE_MAX);

  // Abandons the request; the worker winds down on its own.
  void Cancel();

 private:
  struct Pass;
  std::string url_, user_, password_, host_;
  DWORD receiveTimeoutMs_ = 30000;
  HopRule rule_;
  std::shared_ptr<Pass> pass_;
};

}  // namespace vt
