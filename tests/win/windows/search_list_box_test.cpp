// FindListItem on real list boxes and combo boxes.
#include "windows/search_list_box.h"

#include "scan_support.h"

namespace vt {
namespace {

struct FindCase {
  const char* text;
  bool exact;
  int start;
  int expected;
  const char* reason;
};

// Items in this order, unsorted: 0 "Beta", 1 "alpha", 2 "Alphabet",
// 3 "gamma ray", 4 "Gamma".
const FindCase kFindCases[] = {
    {"ALPHA", true, -1, 1, "exact search ignores letter case"},
    {"alph", true, -1, -1, "exact search does not take a prefix"},
    {"ALPH", false, -1, 1, "prefix search returns the first item that begins so"},
    {"alph", false, 1, 2, "the search begins after item `start`"},
    {"gamma", false, -1, 3, "a prefix matches a longer item before the equal one"},
    {"gamma", true, -1, 4, "exact search skips items that only begin with the text"},
    {"beta", false, 0, 0, "the search wraps around to the top"},
    {"delta", false, -1, -1, "no match gives -1"},
};

class FindListItemTest : public ::testing::TestWithParam<bool> {
 protected:
  // A list box, or a drop-down combo box when the parameter is true.
  HWND MakeControl(test::ListHost& host) {
    return GetParam() ? host.Child("COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS)
                      : host.Child("LISTBOX", LBS_HASSTRINGS);
  }
  void Add(HWND control, const char* item) {
    SendMessageA(control, GetParam() ? CB_ADDSTRING : LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(item));
  }
};

TEST_P(FindListItemTest, FindsByTheControlsOwnSearch) {
  test::ListHost host;
  HWND control = MakeControl(host);
  for (const char* item : {"Beta", "alpha", "Alphabet", "gamma ray", "Gamma"}) Add(control, item);
  for (const auto& c : kFindCases) {
    EXPECT_EQ(FindListItem(control, c.text, c.exact, c.start), c.expected)
        << '"' << c.text << "\" exact=" << c.exact << " start=" << c.start << ": " << c.reason;
  }
}

TEST_P(FindListItemTest, EmptyControlGivesMinusOne) {
  test::ListHost host;
  HWND control = MakeControl(host);
  EXPECT_EQ(FindListItem(control, "anything", true, -1), -1);
  EXPECT_EQ(FindListItem(control, "anything", false, -1), -1);
}

INSTANTIATE_TEST_SUITE_P(Controls, FindListItemTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ComboBox" : "ListBox"; });

}  // namespace
}  // namespace vt
