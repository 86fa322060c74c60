// The shortcut of an unchanged refresh against the refresh that always runs
// both passes, over a random run of windows opening, retitling, reordering
// and closing.
#include <gtest/gtest.h>

#include <random>

#include "test_support.h"
#include "windows/running_windows.h"

namespace vt {
namespace {

struct Pair : test::ControlHost {
  HWND running = Add("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
  HWND temp = Add("LISTBOX", LBS_HASSTRINGS);
};

// Entries whose title holds `tag`: title and window, in list order.
std::vector<std::pair<std::string, HWND>> Tagged(HWND list, const std::string& tag) {
  std::vector<std::pair<std::string, HWND>> out;
  const auto items = test::ListItems(list);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].find(tag) == std::string::npos) continue;
    out.emplace_back(items[i], reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return out;
}

TEST(RefreshMemo, ListsEqualThoseOfTheFullRefreshOverRandomWindowChanges) {
  const std::string tag = " #" + std::to_string(GetCurrentProcessId());
  // Few names, in several letter cases: titles meet, part and swap often.
  const char* names[] = {"Alpha", "ALPHA", "alpha", "Beta", "beta", "Gamma", "Delta"};
  std::mt19937 rng(20261206);
  std::vector<HWND> windows;
  Pair memoized, full;
  RefreshMemo memo;
  int unchanged = 0;
  for (int step = 0; step < 400; ++step) {
    const int op = static_cast<int>(rng() % 10);
    const std::string title = names[rng() % 7] + tag;
    HWND some = windows.empty() ? nullptr : windows[rng() % windows.size()];
    if (op < 2 || !some) {  // open
      windows.push_back(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr));
    } else if (op == 2) {  // close
      DestroyWindow(some);
      windows.erase(std::find(windows.begin(), windows.end(), some));
    } else if (op == 3) {  // retitle, maybe to another letter case of the same name
      SetWindowTextA(some, title.c_str());
    } else if (op == 4) {  // reorder: the same titles, enumerated in another order
      SetWindowPos(some, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
      ++unchanged;  // nothing: the shortcut's case
    }
    RefreshMain(memoized.running, memoized.temp, &memo);
    RefreshMain(full.running, full.temp);
    ASSERT_EQ(Tagged(memoized.running, tag), Tagged(full.running, tag)) << "step " << step;
  }
  EXPECT_GT(unchanged, 100);
  for (HWND w : windows) DestroyWindow(w);
}

}  // namespace
}  // namespace vt
