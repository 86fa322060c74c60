// A stand-in for a downloaded setup program: writes "<its own path>.ran"
// holding its working folder, so a test can see that it was started and from
// where, then ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH + 8] = {}, folder[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  lstrcatA(path, ".ran");
  const DWORD len = GetCurrentDirectoryA(MAX_PATH, folder);
  HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(f, folder, len, &written, nullptr);
  CloseHandle(f);
  return 0;
}
