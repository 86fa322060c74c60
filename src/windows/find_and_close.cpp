#include "windows/find_and_close.h"

#include "windows/list_box_items.h"
#include "windows/title_match.h"
#include "windows/title_rules.h"

namespace vt {

void FindAndClose(HWND list1, HWND lstEnumWindows, double& closedCount,
                  const std::function<void(const std::string&)>& showStatus) {
  // A window matched by several patterns is asked, and counted, once per
  // pattern; a window that ignores the request is asked again next scan.
  const int patterns = ListCount(list1);
  for (int i = 0; i < patterns; ++i) {
    const std::string pattern = ListText(list1, i);
    const int listed = ListCount(lstEnumWindows);
    for (int j = 0; j < listed; ++j) {
      if (TitleMatches(ListText(lstEnumWindows, j), pattern)) {
        // Posting never waits on the other window; a stale handle just fails.
        PostMessageA(ListWindow(lstEnumWindows, j), WM_CLOSE, 0, 0);
        closedCount += 1;
      }
    }
  }

  // This one waits until the window has handled it, and is not counted.
  const int listed = ListCount(lstEnumWindows);
  for (int j = 0; j < listed; ++j) {
    if (ListText(lstEnumWindows, j) == kScriptErrorTitle) {
      SendMessageA(ListWindow(lstEnumWindows, j), WM_CLOSE, 0, 0);
      break;
    }
  }

  showStatus(kClosedSinceStartup + ClosedCountText(closedCount));
}

}  // namespace vt
