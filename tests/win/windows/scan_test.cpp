// The scan on real windows: FindListItem on list and combo boxes, then
// RefreshMain and FindAndClose on the windows of a vt_popups process, as the
// program meets pop-ups of other programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <tuple>

#include "test_support.h"
#include "windows/find_and_close.h"
#include "windows/list_box_items.h"
#include "windows/running_windows.h"
#include "windows/search_list_box.h"

namespace vt {
namespace {

using test::Quoted;

TEST(FindListItem, SearchesListAndComboBoxesByTheirOwnMessages) {
  const std::tuple<const char*, bool, int, int, const char*> rows[] = {
      {"ALPHA", true, -1, 1, "exact search ignores letter case"},
      {"alph", true, -1, -1, "exact search does not take a prefix"},
      {"ALPH", false, -1, 1, "prefix search returns the first item that begins so"},
      {"alph", false, 1, 2, "the search begins after item `start`"},
  };
  for (const bool combo : {false, true}) {
    test::ControlHost host;
    HWND control = combo ? host.Add("COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS)
                         : host.Add("LISTBOX", LBS_HASSTRINGS);
    const std::string kind = combo ? "combo box: " : "list box: ";
    for (bool exact : {true, false}) EXPECT_EQ(FindListItem(control, "a", exact, -1), -1) << kind;
    for (const char* item : {"Beta", "alpha", "Alphabet"}) {
      SendMessageA(control, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    for (const auto& [text, exact, start, expected, why] : rows) {
      EXPECT_EQ(FindListItem(control, text, exact, start), expected) << kind << why;
    }
  }
}

// The lists the main window owns, on a host that the scan leaves out.
struct Lists : test::ControlHost {
  HWND running = Add("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
  HWND temp = Add("LISTBOX", LBS_HASSTRINGS);
  HWND close = Add("LISTBOX", LBS_HASSTRINGS);
};

std::string TitleOf(HWND h) {
  char buf[1024] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// Entries of a list whose title holds `part`, in list order: title and window.
std::vector<std::pair<std::string, HWND>> Entries(HWND list, const std::string& part) {
  std::vector<std::pair<std::string, HWND>> out;
  const auto items = test::ListItems(list);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].find(part) == std::string::npos) continue;
    out.emplace_back(items[i], reinterpret_cast<HWND>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return out;
}

// Without letters, so the tag reads the same in either letter case.
const std::string kTag = std::string("<").append(std::to_string(GetCurrentProcessId())) + ">";

TEST(RefreshMain, LeavesOutOwnEmptyAndSystemWindows) {
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
  std::string args = "\"\"";  // a window with no title
  for (const auto& row : rows) args.append(" ").append(Quoted(std::get<0>(row)));
  test::Popups popups(args);
  ASSERT_TRUE(popups.ok());
  Lists lists;
  RefreshMain(lists.running, lists.temp);
  const auto listed = test::ListItems(lists.running), temp = test::ListItems(lists.temp);
  for (const auto& [title, want, why] : rows) {
    const auto found = std::find(listed.begin(), listed.end(), title.substr(0, 259));
    EXPECT_EQ(found != listed.end(), want) << title << ": " << why;
  }
  // Left out before the list search, which would never find it again.
  EXPECT_EQ(std::count(temp.begin(), temp.end(), ""), 0) << "an empty title in TempList";
}

// Windows of this process open, retitle and close at random, a few at a time,
// with titles that begin one another and differ in letter case. After every
// refresh the list holds one entry per title up to letter case, made for the
// first window bearing it in enumeration order and kept, spelling and handle,
// while any window bears it.
TEST(RefreshMain, FollowsRandomWindowChanges) {
  using Entry = std::pair<std::string, HWND>;
  std::map<std::string, Entry> model;  // by upper-cased title
  std::vector<HWND> windows;
  std::mt19937 rng(11);
  Lists lists;
  const std::string tag = "zz" + kTag;  // sorts last, where the remove pass starts
  for (int step = 0; step < 200; ++step) {
    for (int change = rng() % 3; change >= 0; --change) {
      std::string title = tag;
      for (int n = rng() % 4; n > 0; --n) title += "aAb"[rng() % 3];
      const std::size_t pick = windows.empty() ? 0 : rng() % windows.size();
      switch (windows.empty() ? 0 : rng() % 3) {
        case 0: windows.push_back(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0)); break;
        case 1: SetWindowTextA(windows[pick], title.c_str()); break;
        default: DestroyWindow(windows[pick]), windows.erase(windows.begin() + pick);
      }
    }
    RefreshMain(lists.running, lists.temp);
    std::vector<Entry> now;  // our windows in enumeration order
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
      if (TitleOf(h).rfind(tag, 0) == 0) now.emplace_back(TitleOf(h), h);
    std::map<std::string, Entry> next;
    for (const Entry& e : now) {
      std::string key = e.first;
      for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!next.count(key)) next[key] = model.count(key) ? model[key] : e;
    }
    model = next;
    std::vector<Entry> want, got = Entries(lists.running, tag);
    for (const auto& kv : model) want.push_back(kv.second);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got, want) << "step " << step;
  }
  for (HWND w : windows) DestroyWindow(w);
}

// The helper's windows ignore WM_CLOSE, so its log shows each request, and
// each row runs two passes: a window that stays is asked and counted again.
// They are listed by hand: "*" over the real desktop would ask every window.
TEST(FindAndClose, AsksAndCountsPerMatchingPatternOnEveryPass) {
  const std::string titles[] = {"Ad - Microsoft Internet Explorer",
                                "internet explorer script error",
                                "Internet Explorer Script Error"};
  // Patterns; WM_CLOSE per window and pass; count per pass.
  const std::tuple<std::vector<std::string>, std::vector<int>, int, const char*> rows[] = {
      {{"Ad - Microsoft Internet Explorer"}, {1, 0, 1}, 1, "exact title; script error exact and uncounted"},
      {{"*Explorer", "Ad*"}, {2, 0, 1}, 2, "matched by two patterns: asked and counted twice"},
      {{}, {0, 0, 1}, 0, "an empty list still closes the script error"},
      {{""}, {0, 0, 1}, 0, "an empty pattern closes nothing"},
      {{"*"}, {1, 1, 2}, 3, "a lone star closes every listed window"},
  };
  // A last window, untitled so never listed, ends each row: posts arrive in order.
  test::Popups popups("--ignore-close " + Quoted(titles[0]) + " " + Quoted(titles[1]) + " " +
                      Quoted(titles[2]) + " \"\"");
  ASSERT_TRUE(popups.ok());
  Lists lists;
  HWND window[4] = {};  // by title; the marker last
  for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "VtPopupWindow", nullptr)) != nullptr;) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(h, &pid) || pid != popups.process().Id()) continue;
    window[std::find(titles, titles + 3, TitleOf(h)) - titles] = h;
  }
  // Unsorted, in this order: the lower-case script error comes first.
  for (int w = 0; w < 3; ++w) ListAdd(lists.temp, titles[w], window[w]);
  HWND marker = window[3];
  std::size_t done = 0;  // log lines of the rows before
  for (const auto& [patterns, asked, counted, why] : rows) {
    SendMessageA(lists.close, LB_RESETCONTENT, 0, 0);
    for (const auto& p : patterns) {
      SendMessageA(lists.close, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
    }
    double count = 10;
    std::vector<std::string> shown;
    auto show = [&](const std::string& text) { shown.push_back(text); };
    FindAndClose(lists.close, lists.temp, count, show);
    auto log = popups.Log();
    EXPECT_GE(std::count(log.begin() + done, log.end(), "WM_CLOSE 2 " + titles[2]), 1)
        << why << ": the script error is sent WM_CLOSE, handled before the pass ends";
    FindAndClose(lists.close, lists.temp, count, show);
    PostMessageA(marker, WM_CLOSE, 0, 0);
    const auto ended = [&] {
      return (log = popups.Log()).size() > done && log.back() == "WM_CLOSE 3 ";
    };
    ASSERT_TRUE(test::WaitFor(ended));
    for (int w = 0; w < 3; ++w) {
      const std::string line = "WM_CLOSE " + std::to_string(w) + " " + titles[w];
      EXPECT_EQ(std::count(log.begin() + done, log.end(), line), 2 * asked[w]) << why << line;
    }
    done = log.size();
    auto text = [](int n) { return "Total POP-UP ads closed since startup: " + std::to_string(n); };
    EXPECT_EQ(shown, (std::vector<std::string>{text(10 + counted), text(10 + 2 * counted)})) << why;
  }
}

}  // namespace
}  // namespace vt
