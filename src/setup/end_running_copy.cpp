// Run by the MSI before it replaces or removes the program: asks a running
// Vel-Tarrow to end through its own exit request, as any other program may,
// and waits until it has gone. The request is removed again afterwards, so
// the settings are left as they were. A custom action DLL inside the MSI: it
// is never installed.
#include <windows.h>

#include "version.h"

namespace {

// Held by a running copy for its whole life (WinMain).
constexpr char kInstanceMutex[] = "Local\\" VT_PRODUCT_NAME ".SingleInstance";
constexpr char kSettingsKey[] = "Software\\" VT_COMPANY_NAME "\\" VT_PRODUCT_NAME "\\Settings";
constexpr char kCloseNow[] = "CloseNow";
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
extern "C" __declspec(dllexport) UINT __stdcall EndRunningCopy(ULONG /*installHandle*/) {
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
