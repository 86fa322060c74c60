// Sets the scene for the README picture: the program with its default list,
// a few running windows, the main window shown. Prints the main window's
// rectangle as "rect X Y W H" and waits until the file named by its second
// argument exists, so the caller can take the picture.
//
//   vt_screenshot <vt_popups.exe> <done-file>
#include <cstdio>

#include "e2e_support.h"

int main(int argc, char** argv) {
  using namespace vt::e2e;
  if (argc < 3) return 2;
  ResetSettings();
  Process popups;
  popups.Start(Quoted(argv[1]) +
               " --quiet --exit-after 120 \"Untitled - Notepad\" \"Inbox - Mail\" "
               "\"Quarterly figures.xls - Spreadsheet\" \"Calculator\" \"My Documents\" "
               "\"Holiday photos - Image Viewer\"");
  Sleep(1500);
  App app;
  if (!app.Start()) return 1;
  app.Show();
  SendMessageA(app.Control(2006), LB_SETCURSEL, 4, 0);
  Sleep(1000);
  RECT r{};
  GetWindowRect(app.Main(), &r);
  std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
  WaitFor([&] { return GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES; },
          std::chrono::seconds(60));
  app.Command(kIdmExit);
  app.process().WaitExit(5000);
  popups.Kill();
  ResetSettings();
  return 0;
}
