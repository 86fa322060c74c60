// The scan on real top-level windows of this process and real list boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <list>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "test_support.h"
#include "windows/find_and_close.h"
#include "windows/list_box_items.h"
#include "windows/running_windows.h"
#include "windows/search_list_box.h"

namespace vt {
namespace {

using Strings = std::vector<std::string>;
using Entry = std::pair<std::string, HWND>;

// A hidden top-level window that counts the WM_CLOSE it gets and stays open.
struct Window {
  explicit Window(const std::string& title)
      : hwnd(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0)) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const WNDPROC proc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m != WM_CLOSE) return DefWindowProcA(h, m, w, l);
      reinterpret_cast<Window*>(GetWindowLongPtrA(h, GWLP_USERDATA))->closes++;
      return 0;
    };
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  }
  Window(const Window&) = delete;
  ~Window() { DestroyWindow(hwnd); }
  HWND hwnd;
  int closes = 0;
};

// The lists the main window owns, on a host that the scan leaves out.
struct Lists {
  HWND running = test::Control("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
  HWND temp = test::Control("LISTBOX", LBS_HASSTRINGS);
  HWND close = test::Control("LISTBOX", LBS_HASSTRINGS);
};

// Without letters, so the tag reads the same in either letter case.
const std::string kTag = std::string("<").append(std::to_string(GetCurrentProcessId())) + ">";

// Random opens, retitles, reorders and closes: one entry per title up to case,
// with the first window's spelling and handle, while any window bears it.
TEST(RefreshMain, FollowsRandomWindowChangesLeavingOutOwnEmptyAndSystemWindows) {
  const std::tuple<std::string, bool, const char*> rows[] = {
      {"SysFader", false, "exact system title"},
      {"SysFader " + kTag, true, "system titles are excluded whole, not as a prefix"},
      {"sysfader", true, "system titles are compared with letter case"},
      {"DEVLDR", false, "exact system title"},
      {"DDE Server Window", false, "exact system title"},
      {"MCI command handling window", false, "exact system title"},
      {"Setup Vel-Tarrow " + kTag, false, "our name anywhere in the title"},
      {"Setup " + kTag + "VelTarrow", false, "our name without the hyphen"},
      {"about vel-tarrow veltarrow " + kTag, true, "our own patterns are case-sensitive"},
      {"Caf\xE9\xA0" + kTag, true, "ANSI bytes above 0x7F pass unchanged"},
      {"Long " + kTag + std::string(300, 'x'), true, "listed under its first 259 characters"},
  };
  std::list<Window> fixed, windows;
  fixed.emplace_back("");  // no title
  for (const auto& row : rows) fixed.emplace_back(std::get<0>(row));
  std::map<std::string, Entry> model;  // by upper-cased title
  std::mt19937 rng(11);
  Lists lists;
  RefreshMemo memo;
  const std::string tag = "ZZ" + kTag;  // sorts last, where the remove pass starts
  for (int step = 0; step < 300; ++step) {
    for (int change = rng() % 3; change >= 0; --change) {
      std::string title = tag;
      for (int n = rng() % 4; n > 0; --n) title += "aAb"[rng() % 3];
      auto pick = windows.begin();
      std::advance(pick, windows.empty() ? 0 : rng() % windows.size());
      const unsigned op = windows.empty() ? 0 : rng() % 8;  // 4 to 7: the shortcut's case
      if (op == 0) windows.emplace_back(title);
      if (op == 1) SetWindowTextA(pick->hwnd, title.c_str());
      if (op == 2) windows.erase(pick);
      if (op == 3)  // the same titles, enumerated in another order
        SetWindowPos(pick->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    RefreshMain(lists.running, lists.temp, &memo);
    std::map<std::string, Entry> next;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {  // enumeration order
      char title[300] = {};
      GetWindowTextA(h, title, sizeof title);
      std::string key = title;
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (key.rfind(tag, 0) == 0)
        next.emplace(key, model.count(key) ? model[key] : Entry{title, h});
    }
    model = next;
    std::multiset<Entry> want, got;
    for (const auto& kv : model) want.insert(kv.second);
    const auto items = test::ListItems(lists.running);
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].rfind(tag, 0) == 0)
        got.emplace(items[i],
                    reinterpret_cast<HWND>(SendMessageA(lists.running, LB_GETITEMDATA, i, 0)));
    ASSERT_EQ(got, want) << "step " << step;
  }
  const auto listed = test::ListItems(lists.running), temp = test::ListItems(lists.temp);
  for (const auto& [title, want, why] : rows) {
    const auto found = std::find(listed.begin(), listed.end(), title.substr(0, 259));
    EXPECT_EQ(found != listed.end(), want) << title << ": " << why;
  }
  // Left out before the list search, which would never find it again.
  EXPECT_EQ(std::count(temp.begin(), temp.end(), ""), 0) << "an empty title in TempList";
}

// Two passes per row: a window that stays open is asked and counted again.
TEST(FindAndClose, AsksAndCountsPerMatchingPatternOnEveryPass) {
  std::list<Window> windows;
  Lists lists;
  for (const char* t :
       {"Ad - Microsoft Internet Explorer", "internet explorer script error", kScriptErrorTitle}) {
    ListAdd(lists.temp, t, windows.emplace_back(t).hwnd);
  }
  // Patterns; WM_CLOSE per window and pass; count per pass.
  const std::tuple<Strings, std::vector<int>, int, const char*> rows[] = {
      {{"Ad - Microsoft Internet Explorer"}, {1, 0, 1}, 1, "exact; script error uncounted"},
      {{"*Explorer", "Ad*"}, {2, 0, 1}, 2, "matched by two patterns: asked and counted twice"},
      {{}, {0, 0, 1}, 0, "an empty list still closes the script error"},
      {{""}, {0, 0, 1}, 0, "an empty pattern closes nothing"},
      {{"*"}, {1, 1, 2}, 3, "a lone star closes every listed window"},
  };
  for (const auto& [patterns, asked, counted, why] : rows) {
    SendMessageA(lists.close, LB_RESETCONTENT, 0, 0);
    for (const auto& p : patterns)
      SendMessageA(lists.close, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
    for (Window& w : windows) w.closes = 0;
    double count = 10;
    Strings shown;
    auto show = [&](const std::string& text) { shown.push_back(text); };
    FindAndClose(lists.close, lists.temp, count, show);
    EXPECT_EQ(windows.back().closes, 1) << why << ": the script error is sent WM_CLOSE, not posted";
    FindAndClose(lists.close, lists.temp, count, show);
    test::PumpMessages();  // the posted requests
    auto w = windows.begin();
    for (int i = 0; i < 3; ++i, ++w) EXPECT_EQ(w->closes, 2 * asked[i]) << why << ": window " << i;
    auto text = [](int n) { return "Total POP-UP ads closed since startup: " + std::to_string(n); };
    EXPECT_EQ(shown, (Strings{text(10 + counted), text(10 + 2 * counted)})) << why;
  }
}

// The one search on either kind of list: a combo box answers only its own messages.
TEST(FindListItem, SearchesListBoxesAndComboBoxesIgnoringCaseAndWrapping) {
  for (auto [cls, add] : {std::pair{"LISTBOX", LB_ADDSTRING}, {"COMBOBOX", CB_ADDSTRING}}) {
    HWND list = test::Control(cls, cls[0] == 'C' ? CBS_DROPDOWNLIST | CBS_HASSTRINGS : 0);
    for (const char* item : {"Beta", "alphabet", "Alpha"})
      SendMessageA(list, add, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(FindListItem(list, "ALPHA", true, -1), 2) << cls << ": whole item, any case";
    EXPECT_EQ(FindListItem(list, "alp", false, -1), 1) << cls << ": prefix, from the top";
    EXPECT_EQ(FindListItem(list, "alp", false, 1), 2) << cls << ": after item 1";
    EXPECT_EQ(FindListItem(list, "alp", false, 2), 1) << cls << ": wraps past the end";
    EXPECT_EQ(FindListItem(list, "Gamma", false, -1), -1) << cls;
    DestroyWindow(list);
  }
}

}  // namespace
}  // namespace vt
