#include "windows/search_list_box.h"

namespace vt {
namespace {

bool IsListBox(HWND control) {
  char cls[32] = {};
  GetClassNameA(control, cls, sizeof cls);
  // ComboLBox is the drop-down part of a combo box: a list box too.
  return lstrcmpiA(cls, "ListBox") == 0 || lstrcmpiA(cls, "ComboLBox") == 0;
}

}  // namespace

int FindListItem(HWND list, const std::string& text, bool exact, int start) {
  UINT message;
  if (IsListBox(list)) {
    message = exact ? LB_FINDSTRINGEXACT : LB_FINDSTRING;
  } else {
    message = exact ? CB_FINDSTRINGEXACT : CB_FINDSTRING;
  }
  // LB_ERR and CB_ERR are both -1, which is our "not found".
  return static_cast<int>(SendMessageA(list, message, static_cast<WPARAM>(start),
                                       reinterpret_cast<LPARAM>(text.c_str())));
}

}  // namespace vt
