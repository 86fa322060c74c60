#include "windows/find_and_close.h"

#include <vector>

#include "windows/list_box_items.h"
#include "windows/title_match.h"
#include "windows/title_rules.h"

namespace vt {

void FindAndClose(HWND list1, HWND lstEnumWindows, double& closedCount,
                  const std::function<void(const std::string&)>& showStatus) {
  // Posting runs no handler, so the running list cannot change during the
  // pass: its entries are read once rather than once per pattern.
  struct Entry {
    std::string title;
    HWND window;
  };
  std::vector<Entry> entries;
  const int listed = ListCount(lstEnumWindows);
  for (int j = 0; j < listed; ++j) {
    entries.push_back({ListText(lstEnumWindows, j), ListWindow(lstEnumWindows, j)});
  }

  // A window matched by several patterns is asked, and counted, once per
  // pattern; a window that ignores the request is asked again next scan.
  const int patterns = ListCount(list1);
  for (int i = 0; i < patterns; ++i) {
    const std::string pattern = ListText(list1, i);
    for (const Entry& e : entries) {
      if (TitleMatches(e.title, pattern)) {
        // Posting never waits on the other window; a stale handle just fails.
        PostMessageA(e.window, WM_CLOSE, 0, 0);
        closedCount += 1;
      }
    }
  }

  // This one waits until the window has handled it, and is not counted. The
  // wait is bounded: a window whose thread hangs would otherwise stop every
  // scan, the tray and the main window for as long as it hangs.
  for (const Entry& e : entries) {
    if (e.title == kScriptErrorTitle) {
      DWORD_PTR ignored = 0;
      (void)SendMessageTimeoutA(e.window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                kHungWindowWaitMs, &ignored);
      break;
    }
  }

  showStatus(kClosedSinceStartup + ClosedCountText(closedCount));
}

}  // namespace vt
