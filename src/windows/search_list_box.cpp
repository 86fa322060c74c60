#include "windows/search_list_box.h"

namespace vt {

int FindListItem(HWND list, const std::string& text, bool exact, int start) {
  // LB_ERR is -1, which is our "not found".
  return static_cast<int>(SendMessageA(list, exact ? LB_FINDSTRINGEXACT : LB_FINDSTRING,
                                       static_cast<WPARAM>(start),
                                       reinterpret_cast<LPARAM>(text.c_str())));
}

}  // namespace vt
