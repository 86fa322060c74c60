// A tiny HTTP/1.1 server for tests, on 127.0.0.1 only, on its own threads.
// It answers each path with the reply the test gave for it; the reply says
// what to send and what to break (drop, stall, delay, leave out a header).
// Every connection is closed after one answer. The server stops by itself
// after its lifetime, and at once when destroyed.
//
//   vt::test::LoopbackServer server;                       // picks a free port
//   server.Serve("/setup.exe", {.body = bytes});           // 200 with Content-Length
//   server.Serve("/big.bin", {.bodyFile = "C:\\x.bin", .honourRange = true});
//   server.ServeInTurn("/cut", {{.body = b, .dropAfter = 4000}, {.body = b, .honourRange = true}});
//   std::string url = server.Url("/setup.exe");            // http://127.0.0.1:<port>/setup.exe
//   ... server.Requests() lists what arrived, in order.
//
// Unknown paths get 404. Link the target vt_loopback_server (ws2_32).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vt::test {

struct HttpReply {
  int status = 200;        // with the usual reason phrase
  std::string statusLine;  // when set, sent instead (without CR LF), e.g. "HTTP/1.1 500 Oops"
  std::string body;        // the whole resource ...
  std::string bodyFile;    // ... or read from this file when the request arrives
  // A "Range: bytes=N-" request gets 206 with the bytes from N (and a
  // Content-Range); without it the range is ignored and the whole body sent.
  bool honourRange = false;
  bool contentLength = true;                  // send "Content-Length"
  std::optional<std::string> lengthOverride;  // announced instead of the real length
  std::vector<std::string> extraHeaders;      // whole lines without CR LF
  std::int64_t dropAfter = -1;                // close after this many body bytes
  std::int64_t stallAfter = -1;               // stop after this many body bytes and hold the line
  int headerDelayMs = 0;                      // wait before the status line
  int bytesPerSecond = 0;                     // throttle the body (0: full speed)
  std::string raw;                            // when set, sent verbatim instead of all the above
};

struct HttpRequest {
  std::string method, path, range, authorization;  // header values as sent
  std::string head;                                // the whole request head
};

class LoopbackServer {
 public:
  using Handler = std::function<HttpReply(const HttpRequest&)>;

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
  void On(const std::string& path, Handler handler);

  std::vector<HttpRequest> Requests() const;
  // Ends stalls and delays, closes every connection and joins the threads.
  void Stop();

  // A loopback port with nothing listening on it (for a refused connection).
  static unsigned short UnusedPort();

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
  std::map<std::string, Handler> handlers_;
  std::map<std::string, std::size_t> counts_;
  std::vector<HttpRequest> requests_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

}  // namespace vt::test
