// The closing pass of a scan: asks every listed window whose title matches a
// close-list pattern to close, and counts the requests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vt {

inline constexpr char kClosedSinceStartup[] = "Total POP-UP ads closed since startup: ";

// The script-error window of the browser, closed on every scan whether or
// not the close list names it.
inline constexpr char kScriptErrorTitle[] = "Internet Explorer Script Error";

// The longest the scan waits on another program's window before it gives up
// on it as hung.
inline constexpr UINT kHungWindowWaitMs = 2000;

// For each pattern of `list1` (in list order) and each entry of
// `lstEnumWindows` whose title matches it: posts WM_CLOSE to the entry's window
// and adds 1 to `closedCount`. Then closes a script-error window with a
// (waiting at most kHungWindowWaitMs, uncounted) WM_CLOSE, and shows the count
// through `showStatus`.
void FindAndClose(HWND list1, HWND lstEnumWindows, double& closedCount,
                  const std::function<void(const std::string&)>& showStatus);

}  // namespace vt
