// vt_screenshot <vt_popups.exe> <done-file>: the scene of the README picture,
// the main window shown over a few running windows. Prints its rectangle as
// "rect X Y W H" and keeps it up until the done-file exists.
#include <cstdio>

#include "e2e_support.h"

int main(int argc, char** argv) {
  using namespace vt::e2e;
  if (argc < 3) return 2;
  ResetSettings();
  Process popups(Quoted(argv[1]) + " --exit-after 120 \"Untitled - Notepad\" \"Inbox - Mail\" " +
                 "\"Quarterly figures.xls - Spreadsheet\" \"Calculator\" \"My Documents\" " +
                 "\"Holiday photos - Image Viewer\"");
  Sleep(1500);
  App app;  // ends the program when it goes
  if (!app.Start()) return 1;
  app.Show();
  SendMessageA(app.Control(kIdcList1), LB_SETCURSEL, 4, 0);
  Sleep(1000);
  RECT r{};
  GetWindowRect(app.Main(), &r);
  std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
  WaitFor([&] { return GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES; }, seconds(60));
  ResetSettings();
  return 0;
}
