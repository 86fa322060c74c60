// vt_download: runs the download dialog once.
//
//   vt_download [--size MB] [--rate KB/s] [--rect] [--stop-file FILE] [URL PATH]
//
// Without URL and PATH it serves a file of --size MB (default 8) at --rate
// KB/s (default 400) from a loopback server of its own and saves it as
// setup.exe in the temporary folder. --rect prints "rect x y w h" (the
// dialog's place on the screen) once the download is 40 % done; --stop-file
// presses Cancel once that file exists. Exit code 0 when DownloadFile
// returned True, else 1.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "download/frm_download.h"
#include "loopback_server.h"

int main(int argc, char** argv) {
  int mb = 8, rate = 400;
  bool rect = false;
  std::string stopFile, url, path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--size" && i + 1 < argc)
      mb = std::atoi(argv[++i]);
    else if (a == "--rate" && i + 1 < argc)
      rate = std::atoi(argv[++i]);
    else if (a == "--rect")
      rect = true;
    else if (a == "--stop-file" && i + 1 < argc)
      stopFile = argv[++i];
    else if (url.empty())
      url = a;
    else
      path = a;
  }
  vt::test::LoopbackServer server(std::chrono::minutes(10));
  if (url.empty() || path.empty()) {
    std::string body(static_cast<std::size_t>(mb) * 1048576, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31);
    server.Serve("/setup.exe", {.body = body, .bytesPerSecond = rate * 1024});
    url = server.Url("/setup.exe");
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    path = std::string(dir) + "setup.exe";
  }

  std::atomic<bool> done = false;
  std::thread watch([&] {
    bool printed = !rect;
    while (!done) {
      Sleep(50);
      HWND d = FindWindowA(vt::kDownloadClass, nullptr);
      if (!d || !IsWindowVisible(d)) continue;
      char caption[256] = {};
      GetWindowTextA(d, caption, sizeof caption);
      if (!printed && std::atoi(caption) >= 40) {
        RECT r;
        GetWindowRect(d, &r);
        std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fflush(stdout);
        printed = true;
      }
      if (!stopFile.empty() && GetFileAttributesA(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        PostMessageA(GetDlgItem(d, vt::kIdCancelButton), BM_CLICK, 0, 0);
        return;
      }
    }
  });
  std::string user, password;
  vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
  const bool ok = form.DownloadFile(url, path, user, password);
  done = true;
  watch.join();
  return ok ? 0 : 1;
}
