// vt_download STOP-FILE: runs the download dialog once, fetching 8 MB at
// 400 KB/s from a loopback server of its own into setup.exe in the temporary
// folder; prints "rect x y w h" (the dialog on the screen) at 40 % and presses
// Cancel once STOP-FILE exists. Exit code 0 when DownloadFile returned True.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/frm_download.h"
#include "loopback_server.h"
#include "test_support.h"

int main(int argc, char** argv) {
  static const std::string stop = argc == 2 ? argv[1] : "";
  if (stop.empty()) return 2;
  vt::test::LoopbackServer server(std::chrono::minutes(10));
  std::string body(8 * 1048576, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31);
  server.Serve("/setup.exe", {.body = body, .bytesPerSecond = 400 * 1024});
  std::string url = server.Url("/setup.exe"), path = vt::test::TempPath("setup.exe"), user, pass;
  // A timer of this thread watches the dialog: the download pumps its messages.
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    static bool printed = false;
    HWND d = FindWindowA(vt::kDownloadClass, nullptr);
    char caption[256] = {};
    if (!d || !IsWindowVisible(d) || !GetWindowTextA(d, caption, sizeof caption)) return;
    if (!printed && std::atoi(caption) >= 40) {
      RECT r;
      GetWindowRect(d, &r);
      std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
      std::fflush(stdout);
      printed = true;
    }
    if (GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES)
      PostMessageA(GetDlgItem(d, vt::kIdCancelButton), BM_CLICK, 0, 0);
  });
  vt::frmDownload form(GetModuleHandleA(nullptr), nullptr);
  return form.DownloadFile(url, path, user, pass) ? 0 : 1;
}
