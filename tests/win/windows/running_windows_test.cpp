// RefreshMain and its exclusions on real top-level windows, both of this
// process and of another one.
#include "windows/running_windows.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

#include "scan_support.h"

namespace vt {
namespace {

using namespace std::string_view_literals;

TEST(TrimAtNull, CutsAtTheFirstNul) {
  const struct {
    std::string_view in;
    std::string out;
    const char* reason;
  } cases[] = {
      {"abc\0def"sv, "abc", "text after the first NUL is dropped"},
      {"abc\0\0\0"sv, "abc", "a zero-filled buffer gives its text"},
      {"\0abc"sv, "", "a leading NUL gives the empty title"},
      {"abc"sv, "abc", "no NUL: the whole text"},
      {""sv, "", "empty stays empty"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimAtNull(c.in), c.out) << c.reason;
}

TEST(IsExcludedTitle, EmptyTitle) {
  // The list box's own search never finds an empty item, so an empty title
  // that got into the scratch list would be added and dropped on every scan.
  EXPECT_TRUE(IsExcludedTitle(""));
}

struct ListingCase {
  std::string title;
  bool listed;
  const char* reason;
};

// Windows opened either here or in a vt_popups process (parameter true).
class Listing : public ::testing::TestWithParam<bool> {
 protected:
  void Open(const std::vector<std::string>& titles) {
    if (GetParam()) {
      popups_ = std::make_unique<test::PopupProcess>(titles);
    } else {
      for (const auto& t : titles) local_.Open(t);
    }
  }
  test::LocalWindows local_;
  std::unique_ptr<test::PopupProcess> popups_;
};

TEST_P(Listing, LeavesOutOwnEmptyAndSystemWindows) {
  const std::string tag = test::UniqueTag();
  const std::string longTitle = "Long " + tag + std::string(300, 'x');
  const std::vector<ListingCase> cases = {
      {"SysFader", false, "exact system title"},
      {"SysFader " + tag, true, "system titles are excluded whole, not as a prefix"},
      {"sysfader", true, "system titles are compared with letter case"},
      {"DEVLDR", false, "exact system title"},
      {"DDE Server Window", false, "exact system title"},
      {"MCI command handling window", false, "exact system title"},
      {"Vel-Tarrow", false, "our own main window"},
      {"Setup Vel-Tarrow " + tag, false, "our name anywhere in the title"},
      {tag + "VelTarrow", false, "our name without the hyphen, at the end"},
      {"about vel-tarrow " + tag, true, "our own patterns are case-sensitive"},
      {"veltarrow " + tag, true, "our own patterns are case-sensitive"},
      {"Caf\xE9\xA0" + tag, true, "ANSI bytes above 0x7F pass unchanged"},
      {longTitle.substr(0, 259), true, "a long title is listed under its first 259 characters"},
  };
  std::vector<std::string> titles = {"", longTitle};
  for (const auto& c : cases) {
    if (c.title.size() < 259) titles.push_back(c.title);
  }
  Open(titles);

  test::ListHost host;
  RefreshMain(host.lstEnumWindows, host.tempList);
  for (const auto& c : cases) {
    EXPECT_EQ(test::Listed(host.lstEnumWindows, c.title), c.listed) << c.title << ": " << c.reason;
  }
  EXPECT_FALSE(test::Listed(host.lstEnumWindows, "")) << "empty titles are never listed";
  // Every entry carries the window its title was read from.
  for (const auto& e : test::EntriesWith(host.lstEnumWindows, tag)) {
    EXPECT_EQ(test::WindowTitle(e.window).substr(0, 259), e.title);
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, Listing, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OtherProcess" : "ThisProcess"; });

// Of `windows`, the one EnumWindows reports first.
HWND FirstEnumerated(const std::set<HWND>& windows) {
  std::pair<const std::set<HWND>*, HWND> ctx{&windows, nullptr};
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<decltype(ctx)*>(p);
        if (!c->first->count(h)) return TRUE;
        c->second = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.second;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TEST(RefreshMain, TitlesDifferingInCaseGiveOneEntryForTheFirstWindow) {
  const std::string tag = test::UniqueTag();
  test::LocalWindows windows;
  HWND lower = windows.Open("case test " + tag);
  HWND upper = windows.Open(Upper("case test " + tag));
  test::ListHost host;
  RefreshMain(host.lstEnumWindows, host.tempList);

  const auto entries = test::EntriesWith(host.lstEnumWindows, tag);
  const auto upperEntries = test::EntriesWith(host.lstEnumWindows, Upper(tag));
  ASSERT_EQ(entries.size() + upperEntries.size(), 1u);
  const auto& e = entries.empty() ? upperEntries[0] : entries[0];
  EXPECT_EQ(e.window, FirstEnumerated({lower, upper}));
  EXPECT_EQ(test::WindowTitle(e.window), e.title) << "the entry keeps that window's spelling";
}

TEST(RefreshMain, EntryKeepsItsHandleWhileTheTitleLives) {
  const std::string title = "Twin " + test::UniqueTag();
  test::LocalWindows windows;
  HWND a = windows.Open(title);
  HWND b = windows.Open(title);
  test::ListHost host;
  RefreshMain(host.lstEnumWindows, host.tempList);
  auto entries = test::EntriesWith(host.lstEnumWindows, title);
  ASSERT_EQ(entries.size(), 1u);
  HWND first = entries[0].window;
  ASSERT_TRUE(first == a || first == b);
  HWND other = first == a ? b : a;

  // The window the entry was made for goes; its twin still bears the title.
  DestroyWindow(first);
  RefreshMain(host.lstEnumWindows, host.tempList);
  entries = test::EntriesWith(host.lstEnumWindows, title);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].window, first) << "the entry is updated in place, not rebuilt";

  DestroyWindow(other);
  RefreshMain(host.lstEnumWindows, host.tempList);
  EXPECT_TRUE(test::EntriesWith(host.lstEnumWindows, title).empty())
      << "the entry goes with the last window of that title";
}

TEST(RefreshMain, KeepsTheListSorted) {
  const std::string tag = test::UniqueTag();
  test::LocalWindows windows;
  for (const char* word : {"mango ", "Apple ", "kiwi ", "Banana "}) windows.Open(word + tag);
  test::ListHost host;
  RefreshMain(host.lstEnumWindows, host.tempList);
  std::vector<std::string> titles;
  for (const auto& e : test::EntriesWith(host.lstEnumWindows, tag)) titles.push_back(e.title);
  const std::vector<std::string> expected = {"Apple " + tag, "Banana " + tag, "kiwi " + tag,
                                             "mango " + tag};
  EXPECT_EQ(titles, expected);
  // Each entry's item data must still be its own window after the inserts.
  for (const auto& e : test::EntriesWith(host.lstEnumWindows, tag)) {
    EXPECT_EQ(test::WindowTitle(e.window), e.title);
  }
}

}  // namespace
}  // namespace vt
