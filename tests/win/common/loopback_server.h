// A tiny HTTP/1.1 server for tests on 127.0.0.1, on its own threads: each path
// gets the replies given for it in turn (unknown paths 404), one answer per
// connection; it stops after its lifetime, and at once when destroyed. Link
// vt_loopback_server; server.Url("/x") gives http://127.0.0.1:<port>/x.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vt::test {

struct HttpReply {
  int status = 200;
  std::string body;      // the whole resource ...
  std::string bodyFile;  // ... or read from this file when the request arrives
  // A "Range: bytes=N-" request gets 206 with the bytes from N; without it
  // the range is ignored and the whole body sent.
  bool honourRange = false;
  bool contentLength = true;              // send "Content-Length"
  std::vector<std::string> extraHeaders;  // whole lines without CR LF
  std::int64_t dropAfter = -1;            // send no more than this many body bytes ...
  int holdMs = 0;                         // ... and keep the line open this long before closing
  int headerDelayMs = 0;                  // wait before the status line
  int bytesPerSecond = 0;                 // throttle the body (0: full speed)
};

struct HttpRequest {
  std::string path, range;  // the Range header's value, if any
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::chrono::milliseconds lifetime = std::chrono::seconds(120));
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool ok() const { return port_ != 0; }
  unsigned short port() const { return port_; }
  std::string Url(const std::string& path) const;

  // The n-th request for the path gets replies[n]; later ones get the last.
  void ServeInTurn(const std::string& path, std::vector<HttpReply> replies);
  void Serve(const std::string& path, HttpReply reply) { ServeInTurn(path, {std::move(reply)}); }

  std::vector<HttpRequest> Requests() const;
  // Ends stalls and delays, closes every connection and joins the threads;
  // later connections to the port are refused.
  void Stop();

 private:
  void AcceptLoop();
  void Answer(std::uintptr_t socket);
  HttpReply ReplyFor(const HttpRequest& request);
  bool Waiting(std::chrono::milliseconds ms) const;  // false once stopping

  std::chrono::steady_clock::time_point end_;
  std::uintptr_t listener_;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::map<std::string, std::pair<std::vector<HttpReply>, std::size_t>> replies_;
  std::vector<HttpRequest> requests_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

}  // namespace vt::test
