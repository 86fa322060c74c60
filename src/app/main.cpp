// Vel-Tarrow: closes pop-up windows whose titles match the user's patterns.
#include <windows.h>
#include <commctrl.h>

#include "app/frm_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // One copy only: a second one ends at once, before it touches any setting.
  HANDLE single = CreateMutexA(nullptr, FALSE, "Local\\Vel-Tarrow.SingleInstance");
  if (!single || GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  vt::frmMain main;
  if (!main.Create(instance)) return 1;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (main.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
