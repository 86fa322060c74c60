#include "closelist/editing.h"

#include <string>

#include "closelist/input_box.h"
#include "closelist/store.h"
#include "version.h"
#include "windows/list_box_items.h"
#include "windows/search_list_box.h"

namespace vt {
namespace {

int Selected(HWND list) {
  return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

void HideCover(const std::function<void()>& hideCover) {
  if (hideCover) hideCover();
}

}  // namespace

void Add(HWND lstEnumWindows, HWND list1, const std::function<void()>& hideCover) {
  HideCover(hideCover);
  const int selected = Selected(lstEnumWindows);
  if (selected < 0) return;
  const std::string title = ListText(lstEnumWindows, selected);
  // Plain text only: a title some wildcard pattern already covers is still added.
  if (FindListItem(list1, title, true, -1) > -1) return;
  SendMessageA(list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
  SaveList(list1);
}

void Delete(HWND list1) {
  const int selected = Selected(list1);
  if (selected < 0) return;
  SendMessageA(list1, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  SaveList(list1);
}

void EditSelected(HWND owner, HWND list1, const std::function<void()>& hideCover) {
  HideCover(hideCover);
  const int selected = Selected(list1);
  if (selected < 0) return;
  const std::string text = InputBox(owner, "You can use wildcards here, see Help",
                                    "Edit Window to close list", ListText(list1, selected));
  if (text.empty()) return;  // Cancel, or OK on a cleared field

  // Only the first match from the top is compared exactly, so the entry
  // itself confirmed unchanged counts as a duplicate, and a change of letter
  // case alone does not.
  const int match = FindListItem(list1, text, true, -1);
  if (match > -1 && ListText(list1, match) == text) {
    MessageBoxA(owner, "That listing already exists", VT_PRODUCT_NAME, MB_OK);
    return;
  }

  // The selection is read again now that the box is closed.
  const int index = Selected(list1);
  if (index < 0) return;
  // The new text takes the old one's place. LB_INSERTSTRING does not sort,
  // so the entry keeps its index (and its place in the saved order) until
  // the list is next loaded, which sorts it again.
  SendMessageA(list1, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  SendMessageA(list1, LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(list1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SaveList(list1);
}

}  // namespace vt
