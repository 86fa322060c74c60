// Throughput of DownloadFile (file writes and the display update per chunk
// included) against bare WinINet loops that read the same file from the
// same loopback server and keep nothing: one in 1 KB pieces, one in 64 KB
// pieces (the fastest simple client), measured in the same run. Rounds
// alternate; the best time of each is reported.
//
//   download_bench [MB] [rounds]     defaults: 20 MB, 3 rounds
#include <windows.h>

#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/frm_download.h"
#include "loopback_server.h"

namespace {

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Returns the bytes read, or -1.
long long BareLoop(const std::string& path, unsigned short port, DWORD piece) {
  HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET connection =
      InternetConnectA(session, "127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, "GET", path.c_str(), nullptr, nullptr, nullptr,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  long long total = -1;
  if (request && HttpSendRequestA(request, "Range: bytes=0-\r\n", DWORD(-1), nullptr, 0)) {
    std::vector<char> chunk(piece);
    DWORD got = 0;
    total = 0;
    while (InternetReadFile(request, chunk.data(), piece, &got) && got > 0) total += got;
  }
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(session);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const long long mb = argc > 1 ? std::atoll(argv[1]) : 20;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::size_t size = static_cast<std::size_t>(mb) * 1048576;
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 131 + (i >> 12));

  vt::test::LoopbackServer server(std::chrono::minutes(30));
  server.Serve("/bench.bin", {.body = body});
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  const std::string dest = std::string(dir) + "vt_download_bench.bin";

  double bare = 1e9, bare64 = 1e9, dialog = 1e9;
  bool ok = true;
  for (int r = 0; r < rounds; ++r) {
    double t = Seconds();
    ok &= BareLoop("/bench.bin", server.port(), 1024) == static_cast<long long>(size);
    bare = std::min(bare, Seconds() - t);
    t = Seconds();
    ok &= BareLoop("/bench.bin", server.port(), 65536) == static_cast<long long>(size);
    bare64 = std::min(bare64, Seconds() - t);

    std::string url = server.Url("/bench.bin"), path = dest, user, password;
    vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
    t = Seconds();
    ok &= form.DownloadFile(url, path, user, password);
    dialog = std::min(dialog, Seconds() - t);
    WIN32_FILE_ATTRIBUTE_DATA a{};
    ok &= GetFileAttributesExA(dest.c_str(), GetFileExInfoStandard, &a) && a.nFileSizeLow == size;
    DeleteFileA(dest.c_str());
  }
  std::printf("file %lld MB, best of %d rounds\n", mb, rounds);
  std::printf("bare WinINet loop, 1 KB reads:  %.3f s  %.1f MB/s\n", bare, mb / bare);
  std::printf("bare WinINet loop, 64 KB reads: %.3f s  %.1f MB/s\n", bare64, mb / bare64);
  std::printf("DownloadFile with display:      %.3f s  %.1f MB/s\n", dialog, mb / dialog);
  std::printf("ratio against 1 KB reads:  %.2f  (goal: at most 1.5)\n", dialog / bare);
  std::printf("ratio against 64 KB reads: %.2f  (goal: at most 1.2)\n", dialog / bare64);
  if (!ok) std::printf("ERROR: a transfer was incomplete\n");
  return ok ? 0 : 1;
}
