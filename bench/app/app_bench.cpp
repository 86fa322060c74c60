// Start-up time of the program against a baseline measured in the same run,
// and the baseline process for the idle figure (bench/app/run.sh).
//
//   app_bench <Vel-Tarrow.exe> <vt_popups.exe> [earlier Vel-Tarrow.exe]
//                                                 start-up figures
//   app_bench --baseline-enum                     enumerate windows once a second
//
// Start-up: process start to the tray icon, against process start to the
// first window of a bare helper process; rounds alternate the programs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kSettingsKey[] = "Software\\Larkspur Lane Software\\Vel-Tarrow\\Settings";

int CountTrayIcons() {
  int count = 0;
  HWND tray = nullptr;
  while ((tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr))) {
    HWND icon = nullptr;
    while ((icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr))) ++count;
  }
  return count;
}

bool Start(const std::string& cmd, PROCESS_INFORMATION& pi) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = cmd;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  return true;
}

void Stop(PROCESS_INFORMATION& pi) {
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
}

template <typename Pred>
double MillisUntil(Pred pred, Clock::time_point t0) {
  while (!pred()) {
    if (Clock::now() - t0 > std::chrono::seconds(30)) return -1;
    Sleep(2);
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void SetTime(const char* seconds) {
  HKEY k = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                  nullptr);
  RegSetValueExA(k, "Time", 0, REG_SZ, reinterpret_cast<const BYTE*>(seconds),
                 static_cast<DWORD>(strlen(seconds) + 1));
  RegDeleteValueA(k, "StartWithWindows");
  RegCloseKey(k);
}

// The baseline for the idle figure: enumerate and read titles once a second.
int BaselineEnumerator() {
  for (;;) {
    EnumWindows(
        [](HWND h, LPARAM) -> BOOL {
          char title[260];
          GetWindowTextA(h, title, sizeof title);
          return TRUE;
        },
        0);
    Sleep(1000);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--baseline-enum") return BaselineEnumerator();
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: app_bench <Vel-Tarrow.exe> <vt_popups.exe> [earlier Vel-Tarrow.exe]\n");
    return 2;
  }
  const std::string app = std::string("\"") + argv[1] + "\"";
  const std::string popups = std::string("\"") + argv[2] + "\"";
  const std::string earlier = argc > 3 ? std::string("\"") + argv[3] + "\"" : "";

  // Process start to its tray icon, in ms.
  const auto toTray = [](const std::string& exe) {
    SetTime("2");
    const int before = CountTrayIcons();
    PROCESS_INFORMATION pi{};
    const auto t0 = Clock::now();
    if (!Start(exe, pi)) return -1.0;
    const double ms = MillisUntil([&] { return CountTrayIcons() > before; }, t0);
    Stop(pi);
    // The tray drops a killed program's icon a little later; the next start
    // counts from the same number.
    MillisUntil([&] { return CountTrayIcons() <= before; }, Clock::now());
    return ms;
  };

  // Process start to the bare helper's first window, in ms.
  int bareRound = 0;
  const auto toWindow = [&] {
    const std::string title = "bench-bare-" + std::to_string(bareRound++);
    PROCESS_INFORMATION pi{};
    const auto t0 = Clock::now();
    if (!Start(popups + " --quiet --exit-after 30 " + title, pi)) return -1.0;
    const double ms =
        MillisUntil([&] { return FindWindowA(nullptr, title.c_str()) != nullptr; }, t0);
    Stop(pi);
    return ms;
  };

  // Start-up, five rounds each; medians. Each round begins with another
  // program: a start right after a killed one runs slower.
  std::vector<double> appMs, bareMs, earlierMs;
  std::vector<std::function<void()>> order = {[&] { appMs.push_back(toTray(app)); },
                                              [&] { bareMs.push_back(toWindow()); }};
  if (!earlier.empty()) order.push_back([&] { earlierMs.push_back(toTray(earlier)); });
  for (int round = 0; round < 5; ++round) {
    for (std::size_t i = 0; i < order.size(); ++i) order[(round + i) % order.size()]();
  }
  std::sort(appMs.begin(), appMs.end());
  std::sort(bareMs.begin(), bareMs.end());
  std::printf("start-up to tray icon: %.0f ms (median of 5); bare process to first window: %.0f ms;"
              " ratio %.2f\n",
              appMs[2], bareMs[2], appMs[2] / bareMs[2]);
  if (!earlierMs.empty()) {
    std::sort(earlierMs.begin(), earlierMs.end());
    std::printf("earlier build to tray icon: %.0f ms; ratio %.2f to the bare process\n",
                earlierMs[2], earlierMs[2] / bareMs[2]);
  }

  return 0;
}
