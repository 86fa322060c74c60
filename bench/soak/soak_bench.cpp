// Soak: scan passes (RefreshMain, then FindAndClose) at full speed over
// windows that open, retitle and close as it goes, with the process's memory,
// handles, USER and GDI objects printed at the start and at the end.
//
//   soak_bench [passes]      default 10000
//
// The windows belong to this process's thread, so the pop-ups the scan asks
// to close do close between passes. Before each reading the set of windows is
// brought back to the same size, so the figures compare like with like.
// Private memory is the committed private address space (VirtualQuery);
// GetProcessHandleCount and GetGuiResources answer 0 under Wine, so handles
// are also counted in the system's handle list, and USER and GDI objects by
// probes that count the free slots of their handle tables.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "closelist/store.h"
#include "windows/find_and_close.h"
#include "windows/running_windows.h"

namespace {

constexpr int kPool = 80;  // windows alive at each reading
constexpr char kTag[] = " [soak]";

struct Reading {
  double privateMb, workingMb;
  DWORD handles, user, gdi;
  long userFree, gdiFree;
};

// Free slots of the GDI table (per process): regions until creation fails.
long GdiFree() {
  std::vector<HRGN> probes;
  for (HRGN r; probes.size() < 0x10000 && (r = CreateRectRgn(0, 0, 1, 1));) probes.push_back(r);
  for (HRGN r : probes) DeleteObject(r);
  return static_cast<long>(probes.size());
}

// Free slots of the USER table (shared by the session): menus until it fails.
long UserFree() {
  std::vector<HMENU> probes;
  for (HMENU m; probes.size() < 0x10000 && (m = CreatePopupMenu());) probes.push_back(m);
  for (HMENU m : probes) DestroyMenu(m);
  return static_cast<long>(probes.size());
}

double PrivateCommittedMb() {
  double bytes = 0;
  MEMORY_BASIC_INFORMATION mbi{};
  for (char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;
       p = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
      bytes += static_cast<double>(mbi.RegionSize);
  }
  return bytes / 1048576.0;
}

// This process's entries in the system handle list (class 16).
DWORD HandlesListed() {
  struct Entry {
    ULONG pid;
    BYTE type, flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  while (query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
    if (buffer.size() >= (1u << 28)) return 0;
    buffer.resize(buffer.size() * 2);
  }
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  DWORD mine = 0;
  for (ULONG i = 0; i < count; ++i) mine += entries[i].pid == GetCurrentProcessId() ? 1 : 0;
  return mine;
}

// The probes come first: what they leave in the heap is then alike at every
// reading.
Reading Read() {
  const long userFree = UserFree(), gdiFree = GdiFree();
  PROCESS_MEMORY_COUNTERS mem{};
  mem.cb = sizeof mem;
  GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem);
  DWORD handles = 0;
  if (!GetProcessHandleCount(GetCurrentProcess(), &handles) || handles == 0) {
    handles = HandlesListed();
  }
  return {PrivateCommittedMb(),
          mem.WorkingSetSize / 1048576.0,
          handles,
          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
          GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
          userFree,
          gdiFree};
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class Churn {
 public:
  explicit Churn(unsigned seed) : rng_(seed) {}
  ~Churn() {
    for (HWND w : windows_) DestroyWindow(w);
  }
  // One change: a window opens, retitles or closes; some are pop-ups that the
  // scan closes.
  void Step() {
    Forget();
    const unsigned op = rng_() % 4;
    if (op == 0 || windows_.size() < kPool / 2) {
      Open();
    } else if (op == 1 && !windows_.empty()) {
      DestroyWindow(Pick());
    } else if (!windows_.empty()) {
      SetWindowTextA(Pick(), Title().c_str());
    }
  }
  // Back to kPool windows.
  void Settle() {
    Pump();
    Forget();
    while (windows_.size() > kPool) DestroyWindow(Pick()), Forget();
    while (windows_.size() < kPool) Open(/*popup=*/false);
  }

 private:
  std::string Title(bool popup = true) {
    const unsigned n = rng_() % 500;
    if (popup && rng_() % 3 == 0) {
      return "Advertisement " + std::to_string(n) + " - Microsoft Internet Explorer" + kTag;
    }
    return "Document " + std::to_string(n) + " - Editor" + kTag;
  }
  void Open(bool popup = true) {
    windows_.push_back(CreateWindowExA(0, "STATIC", Title(popup).c_str(), WS_POPUP, 0, 0, 10, 10,
                                       nullptr, nullptr, nullptr, nullptr));
  }
  HWND Pick() { return windows_[rng_() % windows_.size()]; }
  void Forget() {  // windows the scan closed
    std::erase_if(windows_, [](HWND w) { return !IsWindow(w); });
  }

  std::mt19937 rng_;
  std::vector<HWND> windows_;
};

void Print(const char* when, const Reading& r) {
  std::printf(
      "%-6s private %8.2f MB  working set %8.2f MB  handles %5lu  USER %lu GDI %lu"
      "  (free table slots: USER %ld, GDI %ld)\n",
      when, r.privateMb, r.workingMb, r.handles, r.user, r.gdi, r.userFree, r.gdiFree);
}

double Change(double a, double b) {
  return a > 0 ? 100.0 * (b - a) / a : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int passes = argc > 1 ? std::atoi(argv[1]) : 10000;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HWND host = CreateWindowExA(0, "STATIC", "Vel-Tarrow soak", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
  auto child = [&](const char* cls, DWORD style) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 200, host, nullptr, nullptr,
                           nullptr);
  };
  HWND running = child("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
  HWND temp = child("LISTBOX", LBS_HASSTRINGS);
  HWND close = child("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
  HWND status = child(STATUSCLASSNAMEA, 0);
  for (const char* p : vt::kDefaultPatterns) {
    SendMessageA(close, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
  }
  SendMessageA(close, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Advertisement *"));

  vt::RefreshMemo memo;
  double closed = 0;
  auto show = [&](const std::string& text) {
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
  };
  Churn churn(20261206);
  auto scans = [&](int n) {
    for (int i = 0; i < n; ++i) {
      if (i % 3 == 0) churn.Step();  // two passes in three see an unchanged desktop
      vt::RefreshMain(running, temp, &memo);
      vt::FindAndClose(close, running, closed, show);
      Pump();
    }
  };

  scans(200);  // the lists, the heap and the tables reach their working size
  churn.Settle();
  Read();  // and so does what the probes take
  vt::RefreshMain(running, temp, &memo);
  const Reading start = Read();
  const DWORD t0 = GetTickCount();
  scans(passes);
  const DWORD ms = GetTickCount() - t0;
  churn.Settle();
  vt::RefreshMain(running, temp, &memo);
  const Reading end = Read();

  std::printf("%d scan passes in %.1f s (%.2f ms each), %.0f close requests\n", passes, ms / 1000.0,
              static_cast<double>(ms) / passes, closed);
  Print("start", start);
  Print("end", end);
  std::printf(
      "change: private %+.1f%%  working set %+.1f%%  handles %+ld  USER in use %+ld"
      "  GDI in use %+ld\n",
      Change(start.privateMb, end.privateMb), Change(start.workingMb, end.workingMb),
      static_cast<long>(end.handles) - static_cast<long>(start.handles),
      start.userFree - end.userFree, start.gdiFree - end.gdiFree);
  DestroyWindow(host);
  return 0;
}
