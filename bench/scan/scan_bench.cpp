// Cost of one scan (RefreshMain + FindAndClose) against a bare enumeration
// that only reads every top-level window's title, measured in the same run.
//
// Extra windows are opened hidden by a vt_popups process (found beside this
// exe, or through VT_EXE_VT_POPUPS), as pop-ups of another program would be.
// None of their titles matches a pattern, so no scan closes anything.
//
//   scan_bench [--quick]     --quick: 100 and 300 windows only
//
// Columns: extra windows opened, close-list patterns, top-level windows on
// the desktop, entries listed; then milliseconds: the bare pass (EnumWindows
// + GetWindowTextA), the first scan that fills the list, RefreshMain and
// FindAndClose of a later scan, the whole later scan; its ratio to the bare
// pass; the later scan when the refresh remembers the last titles (the
// program's way: an unchanged desktop skips both list passes) and its ratio;
// and the number of rounds the medians come from.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

#include "windows/find_and_close.h"
#include "closelist/store.h"
#include "windows/running_windows.h"
#include "windows/title_match.h"

namespace {

// The first-start close list.
const std::vector<std::string> kDefaults(vt::kDefaultPatterns.begin(), vt::kDefaultPatterns.end());

// The defaults plus 89 more of the kinds a user adds from pop-ups seen.
std::vector<std::string> HundredPatterns() {
  static const char* const kWords[] = {
      "Casino",   "Lottery",  "Jackpot",    "Winner",    "Prize",     "Congratulations",
      "FreeGift", "Sweeps",   "Bonus",      "Offer",     "Deal",      "Discount",
      "Coupon",   "Survey",   "Poker",      "Dating",    "Singles",   "Loans",
      "Mortgage", "Credit",   "Debt",       "Insurance", "Ringtones", "Screensaver",
      "Smileys",  "Toolbar",  "Spyware",    "Cleaner",   "Optimizer", "Webcam"};
  static const char* const kForms[] = {"*%s* - Microsoft Internet Explorer",
                                       "%s! - Microsoft Internet Explorer",
                                       "http://%s.ads.example/*"};
  std::vector<std::string> out = kDefaults;
  for (const char* form : kForms) {
    for (const char* word : kWords) {
      if (out.size() == 100) return out;
      char buf[128];
      std::snprintf(buf, sizeof buf, form, word);
      out.push_back(buf);
    }
  }
  return out;
}

// Distinct titles of ordinary windows.
std::vector<std::string> Titles(int count) {
  static const char* const kForms[] = {
      "Document %d.txt - Notepad",         "Inbox (%d) - Mail",
      "Quarterly report %d.xls - Sheets",  "C:\\Projects\\build-%d",
      "News page %d - Microsoft Internet Explorer", "Chat with friend %d",
      "Untitled %d - Paint",               "Download %d of 1000 complete"};
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    char buf[128];
    std::snprintf(buf, sizeof buf, kForms[i % 8], i);
    out.push_back(buf);
  }
  return out;
}

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

BOOL CALLBACK ReadTitleProc(HWND hwnd, LPARAM total) {
  char buffer[260] = {};
  *reinterpret_cast<int*>(total) += GetWindowTextA(hwnd, buffer, sizeof buffer);
  return TRUE;
}

// Windows of another process, opened hidden; ended when this goes.
class Popups {
 public:
  Popups(const std::string& exe, const std::vector<std::string>& titles) {
    char tmp[MAX_PATH] = {};
    GetTempPathA(sizeof tmp, tmp);
    file_ = std::string(tmp) + "scan_bench_titles.txt";
    if (FILE* f = std::fopen(file_.c_str(), "wb")) {
      for (const auto& t : titles) std::fprintf(f, "%s\n", t.c_str());
      std::fclose(f);
    }
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "scan_bench_ready");
    std::string cmd = "\"" + exe + "\" --quiet --hidden --exit-after 600 --ready-event "
                      "scan_bench_ready --titles-from \"" + file_ + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
      HANDLE waits[2] = {ready, process_};
      ok_ = WaitForMultipleObjects(2, waits, FALSE, 120000) == WAIT_OBJECT_0;
    }
    CloseHandle(ready);
  }
  ~Popups() {
    if (process_) {
      TerminateProcess(process_, 0);
      WaitForSingleObject(process_, 30000);
      CloseHandle(process_);
    }
    DeleteFileA(file_.c_str());
  }
  bool ok() const { return ok_; }

 private:
  HANDLE process_ = nullptr;
  std::string file_;
  bool ok_ = false;
};

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProcA(h, m, w, l);
}

// The lists the main window owns: sorted running list, unsorted scratch list
// and the close list.
struct Lists {
  Lists() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtScanBenchHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, wc.lpszClassName, "Vel-Tarrow scan bench", WS_OVERLAPPEDWINDOW, 0,
                           0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    running = Child(LBS_SORT);
    temp = Child(0);
    close = Child(0);
  }
  ~Lists() { DestroyWindow(host); }
  HWND Child(DWORD style) {
    return CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_HASSTRINGS | style, 0, 0, 200, 200,
                           host, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  HWND host, running, temp, close;
};

std::string PopupsExe() {
  if (const char* env = std::getenv("VT_EXE_VT_POPUPS")) return env;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "vt_popups.exe";
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const std::string exe = PopupsExe();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "scan_bench: needs vt_popups.exe (%s)\n", exe.c_str());
    return 2;
  }
  const std::vector<std::vector<std::string>> patternSets = {kDefaults, HundredPatterns()};

  std::printf("%7s %8s %8s %7s | %9s %9s %9s %9s %9s | %7s | %9s %7s | %6s\n", "extra", "patterns",
              "top-lvl", "listed", "bare ms", "fill ms", "refresh", "close", "scan ms", "ratio",
              "memo ms", "ratio", "rounds");
  std::vector<int> sizes = {100, 300, 1000};
  if (quick) sizes.pop_back();
  for (int extra : sizes) {
    const auto titles = Titles(extra);
    for (const auto& set : patternSets) {
      for (const auto& t : titles) {
        for (const auto& p : set) {
          if (vt::TitleMatches(t, p)) {
            std::fprintf(stderr, "scan_bench: title \"%s\" matches \"%s\"\n", t.c_str(), p.c_str());
            return 1;
          }
        }
      }
    }
    Popups popups(exe, titles);
    if (!popups.ok()) {
      std::fprintf(stderr, "scan_bench: vt_popups did not open %d windows\n", extra);
      return 1;
    }
    for (const auto& set : patternSets) {
      Lists lists;
      for (const auto& p : set) {
        SendMessageA(lists.close, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
      }
      double closed = 0;
      auto status = [](const std::string&) {};

      int topLevel = 0;
      EnumWindows([](HWND, LPARAM n) -> BOOL { ++*reinterpret_cast<int*>(n); return TRUE; },
                  reinterpret_cast<LPARAM>(&topLevel));
      int chars = 0;
      auto bare = [&] { EnumWindows(ReadTitleProc, reinterpret_cast<LPARAM>(&chars)); };

      // The first scan fills the running list; later ones find it up to date.
      double t0 = NowMs();
      vt::RefreshMain(lists.running, lists.temp);
      vt::FindAndClose(lists.close, lists.running, closed, status);
      const double fill = NowMs() - t0;

      // Rounds alternate the baseline and the scan, so load from elsewhere on
      // the machine hits both alike; medians drop the odd slow round.
      std::vector<double> bareMs, refreshMs, closeMs, scanMs, memoMs;
      vt::RefreshMemo memo;
      vt::RefreshMain(lists.running, lists.temp, &memo);  // remembers the titles
      const double start = NowMs();
      while (bareMs.size() < 5 || (NowMs() - start < 3000 && bareMs.size() < 51)) {
        t0 = NowMs();
        bare();
        const double t1 = NowMs();
        vt::RefreshMain(lists.running, lists.temp);
        const double t2 = NowMs();
        vt::FindAndClose(lists.close, lists.running, closed, status);
        const double t3 = NowMs();
        vt::RefreshMain(lists.running, lists.temp, &memo);
        vt::FindAndClose(lists.close, lists.running, closed, status);
        memoMs.push_back(NowMs() - t3);
        bareMs.push_back(t1 - t0);
        refreshMs.push_back(t2 - t1);
        closeMs.push_back(t3 - t2);
        scanMs.push_back(t3 - t1);
      }
      const int listed = static_cast<int>(SendMessageA(lists.running, LB_GETCOUNT, 0, 0));
      if (closed != 0) {
        std::fprintf(stderr, "scan_bench: a scan closed %g windows\n", closed);
        return 1;
      }
      const double scan = Median(scanMs), base = Median(bareMs);
      const double memoScan = Median(memoMs);
      std::printf("%7d %8zu %8d %7d | %9.2f %9.2f %9.2f %9.2f %9.2f | %6.1fx | %9.2f %6.1fx",
                  extra, set.size(), topLevel, listed, base, fill, Median(refreshMs),
                  Median(closeMs), scan, scan / base, memoScan, memoScan / base);
      std::printf(" | %6zu\n", scanMs.size());
      std::fflush(stdout);
    }
  }
  return 0;
}
