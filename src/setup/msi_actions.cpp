// The MSI's custom actions, in a DLL inside the MSI that is never installed.
// Before the files change: asks a running Vel-Tarrow to end through its own
// exit request, as any other program may, and waits until it has gone; the
// request is removed again afterwards, so the settings are left as they
// were. On uninstall: forgets the start-with-Windows entry of the installed
// program.
#include <windows.h>
#include <msiquery.h>

#include <cstring>

#include "version.h"

namespace {

// Held by a running copy for its whole life (WinMain).
constexpr char kInstanceMutex[] = "Local\\" VT_PRODUCT_NAME ".SingleInstance";
constexpr char kSettingsKey[] = "Software\\" VT_COMPANY_NAME "\\" VT_PRODUCT_NAME "\\Settings";
constexpr char kCloseNow[] = "CloseNow";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program polls its exit request every 2 s; ample time on a busy machine.
constexpr DWORD kWaitMs = 30000, kStepMs = 250;

bool CopyRunning() {
  HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutex);
  if (!h) return false;
  CloseHandle(h);
  return true;
}

}  // namespace

// Success when no copy runs any more; a copy that is still running fails the
// install, which then stops and changes nothing.
extern "C" __declspec(dllexport) UINT __stdcall EndRunningCopy(MSIHANDLE) {
  if (!CopyRunning()) return ERROR_SUCCESS;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return ERROR_INSTALL_FAILURE;
  }
  static constexpr char kTrue[] = "True";
  RegSetValueExA(key, kCloseNow, 0, REG_SZ, reinterpret_cast<const BYTE*>(kTrue), sizeof kTrue);
  for (DWORD waited = 0; CopyRunning() && waited < kWaitMs; waited += kStepMs) Sleep(kStepMs);
  RegDeleteValueA(key, kCloseNow);
  RegCloseKey(key);
  return CopyRunning() ? ERROR_INSTALL_FAILURE : ERROR_SUCCESS;
}

// The uninstalling user's entry only, and only when it starts the copy in the
// install folder (a per-user install of the same name keeps its own). Other
// users' entries start nothing once the files have gone.
extern "C" __declspec(dllexport) UINT __stdcall ForgetStartWithWindows(MSIHANDLE install) {
  char dir[MAX_PATH] = {}, run[MAX_PATH + 16] = {};
  DWORD dirChars = sizeof dir, runBytes = sizeof run;
  if (MsiGetPropertyA(install, "INSTALLDIR", dir, &dirChars) != ERROR_SUCCESS || !dirChars ||
      RegGetValueA(HKEY_CURRENT_USER, kRunKey, VT_PRODUCT_NAME, RRF_RT_REG_SZ, nullptr, run,
                   &runBytes) != ERROR_SUCCESS) {
    return ERROR_SUCCESS;
  }
  const int n = static_cast<int>(dirChars);  // the Run value is the quoted exe path
  if (run[0] == '"' && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, run + 1,
                                      static_cast<int>(strnlen(run + 1, n)), dir, n) == CSTR_EQUAL) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, VT_PRODUCT_NAME);
  }
  return ERROR_SUCCESS;
}
