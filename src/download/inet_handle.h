// Owner for WinINet handles (sessions, connections, requests).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "handle.h"

namespace vt {

struct InternetTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { InternetCloseHandle(h); }
};
using UniqueInternet = UniqueHandle<InternetTraits>;

}  // namespace vt
