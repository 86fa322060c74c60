#include "loopback_server.h"

#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vt::test {

using Clock = std::chrono::steady_clock;

LoopbackServer::LoopbackServer(std::chrono::milliseconds lifetime)
    : end_(Clock::now() + lifetime), listener_(INVALID_SOCKET) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(s, 16) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    return;
  }
  listener_ = s;
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  Stop();
  WSACleanup();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::ServeInTurn(const std::string& path, std::vector<HttpReply> replies) {
  std::lock_guard lock(mutex_);
  replies_[path] = {std::move(replies), 0};
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::Stop() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();  // no connection is added after this
  for (auto& t : connections_) t.join();
  connections_.clear();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  listener_ = INVALID_SOCKET;
}

bool LoopbackServer::Waiting(std::chrono::milliseconds ms) const {
  const auto until = std::min(end_, Clock::now() + ms);
  while (Clock::now() < until) {
    if (stop_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return !stop_ && Clock::now() < end_;
}

void LoopbackServer::AcceptLoop() {
  while (!stop_ && Clock::now() < end_) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(listener_), &set);
    timeval tv{0, 50000};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
    SOCKET c = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
    if (c == INVALID_SOCKET) continue;
    std::lock_guard lock(mutex_);
    connections_.emplace_back([this, c] { Answer(c); });
  }
}

HttpReply LoopbackServer::ReplyFor(const HttpRequest& request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  const auto it = replies_.find(request.path);
  if (it == replies_.end() || it->second.first.empty()) return {.status = 404, .body = "none"};
  auto& [replies, count] = it->second;
  return replies[std::min(count++, replies.size() - 1)];
}

void LoopbackServer::Answer(std::uintptr_t socketValue) {
  const SOCKET s = static_cast<SOCKET>(socketValue);
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);

  // Waits until the socket can be read (or written); false on stop or time-out.
  const auto ready = [&](bool write, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!stop_ && Clock::now() < std::min(until, end_)) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval tv{0, 20000};
      if (select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) > 0) return true;
    }
    return false;
  };
  const auto finish = [&] {
    shutdown(s, SD_SEND);
    closesocket(s);
  };

  std::string head;
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    if (!ready(false, std::chrono::seconds(10))) return finish();
    char buf[4096];
    const int n = recv(s, buf, sizeof buf, 0);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
    if (n <= 0) return finish();
    head.append(buf, static_cast<std::size_t>(n));
  }
  // The path from the request line and the value of a "Range:" header.
  HttpRequest request;
  const std::size_t path = head.find(' ') + 1;
  request.path = head.substr(path, head.find(' ', path) - path);
  if (const std::size_t at = head.find("\r\nRange: "); at != std::string::npos)
    request.range = head.substr(at + 9, head.find('\r', at + 9) - (at + 9));
  const HttpReply reply = ReplyFor(request);
  if (reply.headerDelayMs > 0 && !Waiting(std::chrono::milliseconds(reply.headerDelayMs)))
    return finish();
  std::ifstream file(reply.bodyFile, std::ios::binary);  // when one is named
  const std::string body =
      reply.bodyFile.empty() ? reply.body : std::string(std::istreambuf_iterator<char>(file), {});
  int status = reply.status;
  const auto total = static_cast<std::int64_t>(body.size());
  std::int64_t start = 0;
  std::string out;
  if (reply.honourRange && request.range.rfind("bytes=", 0) == 0) {
    start = std::min<std::int64_t>(std::atoll(request.range.c_str() + 6), total);
    status = 206;
    out = "Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(total - 1) + "/" +
          std::to_string(total) + "\r\n";
  }
  out = "HTTP/1.1 " + std::to_string(status) + (status < 300 ? " OK" : " Failed") + "\r\n" + out;
  if (reply.contentLength) out += "Content-Length: " + std::to_string(total - start) + "\r\n";
  for (const auto& line : reply.extraHeaders) out += line + "\r\n";
  out += "Connection: close\r\n\r\n";
  // The head and the body as one stream, throttled as a whole.
  out.append(body, start, reply.dropAfter >= 0 ? reply.dropAfter : total);
  const int rate = reply.bytesPerSecond;
  const auto began = Clock::now();
  for (std::size_t sent = 0; sent < out.size();) {
    const auto due = began + std::chrono::microseconds(rate > 0 ? sent * 1000000 / rate : 0);
    if (!Waiting(std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now())) ||
        !ready(true, std::chrono::seconds(30))) {
      return finish();
    }
    const std::size_t piece = std::min<std::size_t>(out.size() - sent, rate > 0 ? 1024 : 65536);
    const int n = send(s, out.data() + sent, static_cast<int>(piece), 0);
    if (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return finish();
    sent += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  Waiting(std::chrono::milliseconds(reply.holdMs));
  finish();
}

}  // namespace vt::test
