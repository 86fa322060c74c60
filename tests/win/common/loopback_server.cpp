#include "loopback_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vt::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 206:
      return "Partial Content";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 416:
      return "Range Not Satisfiable";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

HttpRequest Parse(const std::string& head) {
  HttpRequest r;
  r.head = head;
  std::istringstream in(head);
  std::string line;
  std::getline(in, line);
  std::istringstream first(line);
  first >> r.method >> r.path;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    const std::string name = Lower(line.substr(0, colon));
    if (name == "range") r.range = value;
    if (name == "authorization") r.authorization = value;
  }
  return r;
}

// "bytes=N-" gives N; anything else none.
std::optional<std::int64_t> RangeStart(const std::string& range) {
  const std::string prefix = "bytes=";
  if (range.rfind(prefix, 0) != 0 || range.back() != '-') return std::nullopt;
  const std::string digits = range.substr(prefix.size(), range.size() - prefix.size() - 1);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return std::nullopt;
  return std::stoll(digits);
}

}  // namespace

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
  On(path, [this, path, replies = std::move(replies)](const HttpRequest&) {
    const std::size_t n = counts_[path]++;  // under mutex_, see ReplyFor
    return replies.empty() ? HttpReply{} : replies[std::min(n, replies.size() - 1)];
  });
}

void LoopbackServer::On(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[path] = std::move(handler);
  counts_[path] = 0;
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::Stop() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(connections_);
  }
  for (auto& t : threads) t.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  listener_ = INVALID_SOCKET;
}

unsigned short LoopbackServer::UnusedPort() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  closesocket(s);  // never listened on: a connection is refused
  WSACleanup();
  return ntohs(addr.sin_port);
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
  const auto it = handlers_.find(request.path);
  if (it == handlers_.end()) return HttpReply{.status = 404, .body = "not found"};
  return it->second(request);
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
  const auto sendAll = [&](const char* data, std::size_t size) {
    while (size > 0) {
      if (!ready(true, std::chrono::seconds(30))) return false;
      const int n = send(s, data, static_cast<int>(std::min<std::size_t>(size, 65536)), 0);
      if (n == SOCKET_ERROR) {
        if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
        return false;
      }
      data += n, size -= static_cast<std::size_t>(n);
    }
    return true;
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
  const HttpRequest request = Parse(head);
  const HttpReply reply = ReplyFor(request);
  if (reply.headerDelayMs > 0 && !Waiting(std::chrono::milliseconds(reply.headerDelayMs))) {
    return finish();
  }
  if (!reply.raw.empty()) {
    sendAll(reply.raw.data(), reply.raw.size());
    return finish();
  }

  std::string body = reply.body;
  if (!reply.bodyFile.empty()) {
    std::ifstream in(reply.bodyFile, std::ios::binary);
    body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  int status = reply.status;
  std::int64_t start = 0;
  const auto total = static_cast<std::int64_t>(body.size());
  std::string headers;
  if (const auto from = RangeStart(request.range); reply.honourRange && from) {
    if (*from <= total) {
      status = 206, start = *from;
      headers += "Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(total - 1) +
                 "/" + std::to_string(total) + "\r\n";
    } else {
      status = 416, start = total;
    }
  }
  if (status == 204) start = total;
  std::string out = reply.statusLine.empty()
                        ? "HTTP/1.1 " + std::to_string(status) + " " + Reason(status)
                        : reply.statusLine;
  out += "\r\nContent-Type: application/octet-stream\r\n" + headers;
  if (reply.contentLength) {
    out +=
        "Content-Length: " + reply.lengthOverride.value_or(std::to_string(total - start)) + "\r\n";
  }
  for (const auto& line : reply.extraHeaders) out += line + "\r\n";
  out += "Connection: close\r\n\r\n";
  if (!sendAll(out.data(), out.size())) return finish();

  std::int64_t length = total - start;
  if (reply.dropAfter >= 0) length = std::min(length, reply.dropAfter);
  const bool stall = reply.stallAfter >= 0 && reply.stallAfter < length;
  if (stall) length = reply.stallAfter;
  const char* data = body.data() + start;
  const auto began = Clock::now();
  for (std::int64_t sent = 0; sent < length;) {
    std::int64_t piece = length - sent;
    if (reply.bytesPerSecond > 0) {
      piece = std::min<std::int64_t>(piece, 1024);
      const auto due = began + std::chrono::microseconds(sent * 1000000 / reply.bytesPerSecond);
      while (Clock::now() < due) {
        if (!Waiting(std::chrono::milliseconds(5))) return finish();
      }
    }
    if (!sendAll(data + sent, static_cast<std::size_t>(piece))) return finish();
    sent += piece;
  }
  if (stall) {
    while (Waiting(std::chrono::milliseconds(100))) {
    }
  }
  finish();
}

}  // namespace vt::test
