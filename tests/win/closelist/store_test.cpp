// The close list in the List key: first-start seeding, loading into a real
// sorted list box, and saving in display order.
#include "closelist/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "list_fixture.h"

namespace {

using vt::test::Items;
using vt::test::ListValue;

// Every byte of the eleven first-start patterns, spelled out apart from the code.
const std::vector<std::string> kSeeded = {
    "\xA0 - Microsoft Internet Explorer",
    "- - Microsoft Internet Explorer",
    "-- - Microsoft Internet Explorer",
    "*XCam2* - Microsoft Internet Explorer",
    "Ad - Microsoft Internet Explorer",
    "*Advertisement* - Microsoft Internet Explorer",
    std::string(3, '\\') + " Amazing Wireless Camera " + std::string(4, '/') +
        " - Microsoft Internet Explorer",
    "Alert! Very Important Message - Microsoft Internet Explorer",
    "Award Confirmation! - Microsoft Internet Explorer",
    "http://ads.prize-parade.example/*",
    "Message Alert - Microsoft Internet Explorer",
};

std::vector<std::string> Sorted(std::vector<std::string> v, HWND sortedList) {
  // The list box's own order is the reference: fill a second one.
  for (const std::string& s : v) {
    SendMessageA(sortedList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  }
  return Items(sortedList);
}

class Store : public vt::test::CloseListTest {};

TEST_F(Store, FirstStartSeedsTheElevenPatterns) {
  vt::WriteDefaultList();
  EXPECT_EQ(ListValue("Count"), "11");
  for (size_t i = 0; i < kSeeded.size(); ++i) {
    const std::string name = "List" + std::to_string(i + 1);
    EXPECT_EQ(ListValue(name), kSeeded[i]) << name;
  }
  EXPECT_EQ(static_cast<unsigned char>(ListValue("List1")[0]), 0xA0) << "no-break space byte";
  EXPECT_EQ(ListValue("List12"), "<missing>");

  vt::LoadList(list1_);
  HWND reference = vt::test::MakeSortedListBox(parent_);
  EXPECT_EQ(Items(list1_), Sorted(kSeeded, reference));
}

TEST_F(Store, SeedsOnlyWhenTheCountReadsZero) {
  struct Row {
    const char* count;  // nullptr: no "Count" value at all
    bool seeds;
    const char* reason;
  } rows[] = {
      {nullptr, true, "no value: the default \"0\""},
      {"0", true, "a user who removed every entry gets the defaults back"},
      {"3", false, "a stored list stays"},
      {"00", false, "only the exact text \"0\" seeds"},
      {"abc", false, "a count that is no number seeds nothing"},
      {"", false, "empty text is not \"0\""},
  };
  for (const Row& r : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
    for (int i = 1; i <= 5; ++i) Put("List" + std::to_string(i), "old " + std::to_string(i));
    if (r.count) Put("Count", r.count);
    vt::WriteDefaultList();
    EXPECT_EQ(ListValue("List1"), r.seeds ? kSeeded[0] : "old 1") << r.reason;
    EXPECT_EQ(ListValue("List11"), r.seeds ? kSeeded[10] : "<missing>") << r.reason;
    EXPECT_EQ(ListValue("Count"), r.seeds ? "11" : (r.count ? r.count : "<missing>")) << r.reason;
  }
}

TEST_F(Store, LoadsWhileIndexIsWithinTheCount) {
  struct Row {
    const char* count;
    size_t loaded;
    const char* reason;
  } rows[] = {
      {"2.5", 2, "a fraction loads its whole part"},
      {"3 entries", 3, "the leading number counts"},
      {"abc", 0, "no number: nothing"},
      {"-2", 0, "negative: nothing"},
      {"0.9", 0, "below one: nothing"},
  };
  for (const Row& r : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
    for (int i = 1; i <= 4; ++i) Put("List" + std::to_string(i), "entry " + std::to_string(i));
    Put("Count", r.count);
    vt::LoadList(Reopened());
    EXPECT_EQ(Items(list1_).size(), r.loaded) << r.count << ": " << r.reason;
  }
}

TEST_F(Store, LoadKeepsGapsAndDuplicates) {
  Put("Count", "4");
  Put("List1", "Zeta");
  // no List2
  Put("List3", "zeta");
  Put("List4", "Alpha");
  vt::LoadList(list1_);
  const std::vector<std::string> items = Items(list1_);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0], "") << "the missing value loads as an empty entry, sorted first";
  EXPECT_EQ(items[1], "Alpha");
  EXPECT_EQ(std::count(items.begin(), items.end(), "Zeta") +
                std::count(items.begin(), items.end(), "zeta"),
            2)
      << "duplicates up to letter case are both kept";
}

TEST_F(Store, SaveFollowsDisplayOrderAndShrinks) {
  vt::WriteDefaultList();
  // Added out of order; the sorted list box shows them sorted.
  for (const char* t : {"delta", "Bravo", "charlie", "alpha"}) {
    SendMessageA(list1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  }
  vt::SaveList(list1_);
  EXPECT_EQ(ListValue("Count"), "4");
  EXPECT_EQ(ListValue("List1"), "alpha");
  EXPECT_EQ(ListValue("List2"), "Bravo");
  EXPECT_EQ(ListValue("List3"), "charlie");
  EXPECT_EQ(ListValue("List4"), "delta");
  // Above the count the old values stay; loading never reaches them.
  EXPECT_EQ(ListValue("List5"), kSeeded[4]);
  vt::LoadList(Reopened());
  EXPECT_EQ(Items(list1_), (std::vector<std::string>{"alpha", "Bravo", "charlie", "delta"}));
}

TEST_F(Store, SaveOfAnEmptyListSeedsAgainAtTheNextStart) {
  vt::SaveList(list1_);
  EXPECT_EQ(ListValue("Count"), "0");
  vt::WriteDefaultList();
  vt::LoadList(list1_);
  EXPECT_EQ(Items(list1_).size(), 11u);
}

TEST_F(Store, TextRoundTripsUnchanged) {
  const std::vector<std::string> texts = {"", " padded ", "[a-z]#?*", "\xE9t\xE9 \xA0x",
                                          std::string(300, 'w')};
  for (const std::string& t : texts) {
    SendMessageA(list1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
  }
  const std::vector<std::string> before = Items(list1_);
  vt::SaveList(list1_);
  vt::LoadList(Reopened());
  EXPECT_EQ(Items(list1_), before) << "no trimming, no case folding, no length limit";
}

}  // namespace
