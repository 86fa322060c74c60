// A damaged "Count" cannot make start-up load more entries than a real list has.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "closelist/store.h"
#include "settings/keys.h"
#include "test_support.h"

namespace {

TEST(LoadList, LoadsNoMoreThanTheValuesOfTheKeyOrAThousand) {
  // Count text, values "List1".."ListN" stored, entries loaded.
  const std::tuple<const char*, int, int, const char*> rows[] = {
      {"1500", 3, 1000, "a count beyond the stored values stops at 1000"},
      {"1e9", 3, 1000, "a damaged count: the same bound, at once"},
      {"1000", 0, 1000, "up to 1000, a count loads as written, blank entries included"},
      {"1200", 1200, 1200, "a real list longer than 1000 loads whole"},
      {"99999999999999999999", 1200, 1201, "the key's values, Count among them, bound it"},
  };
  vt::test::ControlHost host;
  for (const auto& [count, stored, loaded, why] : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
    vt::test::WriteValue(vt::ListKey(), "Count", count);
    for (int i = 1; i <= stored; ++i) {
      vt::test::WriteValue(vt::ListKey(), ("List" + std::to_string(i)).c_str(), "v");
    }
    HWND list1 = host.Add("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
    vt::LoadList(list1);
    const auto items = vt::test::ListItems(list1);
    EXPECT_EQ(static_cast<int>(items.size()), loaded) << count << ": " << why;
    EXPECT_EQ(std::count(items.begin(), items.end(), "v"), std::min(stored, loaded)) << why;
    DestroyWindow(list1);
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
}

}  // namespace
