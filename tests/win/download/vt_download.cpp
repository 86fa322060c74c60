// vt_download [--rect] [--stop-file FILE]: runs the download dialog once,
// fetching 8 MB at 400 KB/s from a loopback server of its own into setup.exe
// in the temporary folder. --rect prints "rect x y w h" (the dialog on the
// screen) at 40 %; --stop-file presses Cancel once FILE exists. Exit code 0
// when DownloadFile returned True.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "download/frm_download.h"
#include "loopback_server.h"

int main(int argc, char** argv) {
  bool printed = true;
  std::string stopFile;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--rect") printed = false;
    if (a == "--stop-file" && i + 1 < argc) stopFile = argv[++i];
  }
  vt::test::LoopbackServer server(std::chrono::minutes(10));
  std::string body(8 * 1048576, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31);
  server.Serve("/setup.exe", {.body = body, .bytesPerSecond = 400 * 1024});
  std::string url = server.Url("/setup.exe"), path(MAX_PATH, '\0'), user, password;
  path.resize(GetTempPathA(MAX_PATH, path.data()));
  path += "setup.exe";

  std::atomic<bool> done = false;
  std::thread watch([&] {
    for (; !done; Sleep(50)) {
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
  vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
  const bool ok = form.DownloadFile(url, path, user, password);
  done = true;
  watch.join();
  return ok ? 0 : 1;
}
