#include "download/inet_transfer.h"

#include <wininet.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "download/inet_request.h"

namespace vt {
namespace {

constexpr std::size_t kReadAhead = 1 << 20;  // bytes held before the worker waits
constexpr DWORD kReadPiece = 65536;
// This much waiting at once means the data comes faster than it is read
// (Wine's WinINet buffers no more than this).
constexpr DWORD kFullBuffer = 8192;

}  // namespace

// What one request's worker and the caller share.
struct InetTransfer::Pass {
  std::mutex mutex;
  std::condition_variable space;
  bool executing = true, ended = false, cancelled = false;
  DWORD error = 0;
  std::string refusedUrl, refusedWhy;
  std::string headers;
  std::string body;  // received and not yet handed out, from offset
  std::size_t offset = 0;
  UniqueKernelHandle signal{CreateEventA(nullptr, FALSE, FALSE, nullptr)};

  void Notify() { SetEvent(signal.get()); }
};

InetTransfer::~InetTransfer() {
  Cancel();
}

bool InetTransfer::Execute(const std::string& operation, const std::string& headers) {
  Cancel();
  auto pass = std::make_shared<Pass>();
  pass_ = pass;

  char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host, parts.dwHostNameLength = sizeof host;
  const bool cracked =
      InternetCrackUrlA(url_.c_str(), 0, 0, &parts) &&
      (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS);
  host_ = cracked ? host : "";
  if (!cracked) {
    pass->executing = false, pass->ended = true, pass->error = ERROR_INTERNET_INVALID_URL;
    pass->Notify();
    return false;
  }
  RequestSpec call{url_, headers, user_, password_, receiveTimeoutMs_, "*/*", rule_, operation};

  std::thread([pass, call = std::move(call)] {
    InetRequest r = SendFollowing(call);
    if (!r.request) {
      std::lock_guard lock(pass->mutex);
      pass->error = r.error;
      if (!r.refused.empty()) pass->refusedUrl = r.url, pass->refusedWhy = r.refused;
      pass->executing = false, pass->ended = true;
      pass->Notify();
      return;
    }
    HINTERNET request = r.request.get();
    {
      std::lock_guard lock(pass->mutex);
      pass->headers = QueryText(request, HTTP_QUERY_RAW_HEADERS_CRLF);
      pass->executing = false;
      pass->Notify();
    }
    std::vector<char> piece(kReadPiece);
    for (;;) {
      {
        std::unique_lock lock(pass->mutex);
        pass->space.wait(
            lock, [&] { return pass->cancelled || pass->body.size() - pass->offset < kReadAhead; });
        if (pass->cancelled) return;
      }
      // Only what has arrived, so a slow server's bytes are handed on as
      // they come; while the data streams in, whole pieces, each read then
      // taking one large receive instead of many small ones.
      DWORD available = 0, got = 0;
      const bool ok = InternetQueryDataAvailable(request, &available, 0, 0) &&
                      (available == 0 ||
                       InternetReadFile(request, piece.data(),
                                        available >= kFullBuffer ? kReadPiece : available, &got));
      std::lock_guard lock(pass->mutex);
      if (!ok || got == 0) {
        if (!ok) pass->error = GetLastError();
        pass->ended = true;
        pass->Notify();
        return;
      }
      pass->body.append(piece.data(), got);
      pass->Notify();
    }
  }).detach();
  return true;
}

bool InetTransfer::StillExecuting() const {
  if (!pass_) return false;
  std::lock_guard lock(pass_->mutex);
  return pass_->executing;
}

HANDLE InetTransfer::Signal() const {
  return pass_ ? pass_->signal.get() : nullptr;
}

std::string InetTransfer::Headers() const {
  if (!pass_) return "";
  std::lock_guard lock(pass_->mutex);
  return pass_->headers;
}

std::string InetTransfer::Header(const std::string& name) const {
  if (!pass_) return "";
  std::lock_guard lock(pass_->mutex);
  // One "Name: value" a line after the status line.
  const std::string& h = pass_->headers;
  for (std::size_t at = 0; at < h.size();) {
    std::size_t end = h.find("\r\n", at);
    if (end == std::string::npos) end = h.size();
    const std::string line = h.substr(at, end - at);
    at = end + 2;
    if (line.size() > name.size() && line[name.size()] == ':' &&
        _strnicmp(line.c_str(), name.c_str(), name.size()) == 0) {
      const std::size_t value = line.find_first_not_of(' ', name.size() + 1);
      return value == std::string::npos ? "" : line.substr(value);
    }
  }
  return "";
}

std::pair<std::string, std::string> InetTransfer::RefusedRedirect() const {
  if (!pass_) return {};
  std::lock_guard lock(pass_->mutex);
  return {pass_->refusedUrl, pass_->refusedWhy};
}

DWORD InetTransfer::Error() const {
  if (!pass_) return 0;
  std::lock_guard lock(pass_->mutex);
  return pass_->headers.empty() ? pass_->error : 0;
}

std::vector<char> InetTransfer::GetChunk(std::size_t maxBytes, const Waiter& wait,
                                         std::size_t minBytes) {
  if (!pass_) return {};
  Pass& p = *pass_;
  for (;;) {
    {
      std::lock_guard lock(p.mutex);
      const std::size_t held = p.body.size() - p.offset;
      if (held >= std::min(minBytes, maxBytes) || p.ended || p.cancelled) {
        const std::size_t n = p.cancelled ? 0 : std::min(held, maxBytes);
        std::vector<char> chunk(p.body.begin() + static_cast<std::ptrdiff_t>(p.offset),
                                p.body.begin() + static_cast<std::ptrdiff_t>(p.offset + n));
        p.offset += n;
        if (p.offset > kReadAhead) p.body.erase(0, p.offset), p.offset = 0;
        p.space.notify_one();
        return chunk;
      }
    }
    if (!wait(p.signal.get())) return {};
  }
}

void InetTransfer::Cancel() {
  if (!pass_) return;
  {
    std::lock_guard lock(pass_->mutex);
    pass_->cancelled = true;
    pass_->space.notify_one();
  }
  pass_.reset();
}

}  // namespace vt
