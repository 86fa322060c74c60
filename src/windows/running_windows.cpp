#include "windows/running_windows.h"

#include "windows/list_box_items.h"
#include "windows/search_list_box.h"

namespace vt {
namespace {

struct Found {
  std::string title;
  HWND window;
};

// The window's title, or false when the list leaves the window out.
bool ListedTitle(HWND hwnd, std::string* title) {
  // The titles the system hands out in ANSI fit 260 characters, 259 kept.
  char buffer[260] = {};
  // The length it returns is not needed: a window with no text, or one that
  // is already gone, leaves the buffer empty and so is left out.
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  *title = TrimAtNull(std::string_view(buffer, sizeof buffer));
  return !IsExcludedTitle(*title);
}

BOOL CALLBACK CollectProc(HWND hwnd, LPARAM found) {
  std::string title;
  if (ListedTitle(hwnd, &title)) {
    reinterpret_cast<std::vector<Found>*>(found)->push_back({std::move(title), hwnd});
  }
  return TRUE;
}

bool SameTitles(const std::vector<std::string>& before, const std::vector<Found>& now) {
  if (before.size() != now.size()) return false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (before[i] != now[i].title) return false;
  }
  return true;
}

}  // namespace

BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM tempList) {
  std::string title;
  if (ListedTitle(hwnd, &title)) ListAdd(reinterpret_cast<HWND>(tempList), title, hwnd);
  return TRUE;
}

void RefreshMain(HWND lstEnumWindows, HWND tempList, RefreshMemo* memo) {
  // Titles are gathered first, so an unchanged desktop is seen before any
  // list is touched.
  std::vector<Found> found;
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&found));
  // The same titles in the same order: every one is listed and no entry is
  // stale, so the passes below would change nothing.
  if (memo && memo->valid && SameTitles(memo->titles, found)) return;

  bool complete = true;  // a list out of space would leave the passes undone
  SendMessageA(tempList, LB_RESETCONTENT, 0, 0);
  for (const Found& f : found) complete &= ListAdd(tempList, f.title, f.window);

  // Add pass: titles not listed yet (up to letter case), in enumeration order,
  // so the first of several windows sharing a title gives the entry.
  const int enumerated = ListCount(tempList);
  for (int i = 0; i < enumerated; ++i) {
    const std::string title = ListText(tempList, i);
    if (FindListItem(lstEnumWindows, title, true, -1) == -1) {
      complete &= ListAdd(lstEnumWindows, title, ListWindow(tempList, i));
    }
  }

  // Remove pass, from the end so the indexes still to visit stay put.
  const int listed = ListCount(lstEnumWindows);
  for (int i = listed - 1; i >= 0; --i) {
    if (FindListItem(tempList, ListText(lstEnumWindows, i), true, -1) == -1) {
      SendMessageA(lstEnumWindows, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
    }
  }

  if (memo) {
    memo->titles.clear();
    for (Found& f : found) memo->titles.push_back(std::move(f.title));
    memo->valid = complete;
  }
}

}  // namespace vt
