// The close list on real sorted list boxes and the List key, with boxes answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "closelist/editing.h"
#include "closelist/store.h"
#include "dialog_watcher.h"
#include "settings/keys.h"
#include "test_support.h"

namespace {

using vt::test::DialogWatcher;
using vt::test::ListItems;
using Strings = std::vector<std::string>;
using Stored = std::optional<std::string>;
constexpr char kInputTitle[] = "Edit Window to close list";

// Every byte of the first-start patterns, spelled out apart from the code.
const Strings kSeeded = {"\xA0 - Microsoft Internet Explorer",
                         "- - Microsoft Internet Explorer",
                         "-- - Microsoft Internet Explorer",
                         "*XCam2* - Microsoft Internet Explorer",
                         "Ad - Microsoft Internet Explorer",
                         "*Advertisement* - Microsoft Internet Explorer",
                         "\\\\\\ Amazing Wireless Camera //// - Microsoft Internet Explorer",
                         "Alert! Very Important Message - Microsoft Internet Explorer",
                         "Award Confirmation! - Microsoft Internet Explorer",
                         "http://ads.prize-parade.example/*",
                         "Message Alert - Microsoft Internet Explorer"};

class CloseList : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() { RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str()); }
  static std::string Name(size_t i) { return "List" + std::to_string(i); }
  static Stored Value(std::string n) { return vt::test::ReadValue(vt::ListKey(), n.c_str()); }
  static void Put(std::string n, std::string v) {
    vt::test::WriteValue(vt::ListKey(), n.c_str(), v);
  }
  HWND List(const Strings& items, const char* select = nullptr) {
    HWND list = vt::test::Control("LISTBOX", LBS_SORT | LBS_HASSTRINGS);
    for (auto& s : items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.data()));
    if (select) SendMessageA(list, LB_SELECTSTRING, -1, reinterpret_cast<LPARAM>(select));
    return list;
  }

  int hides_ = 0;
  std::function<void()> hide_ = [this] { ++hides_; };
};

// Start-up seeds the patterns on a Count of "0"; a damaged count loads no more than a real list.
TEST_F(CloseList, StartWritesThePatternsOnZeroAndLoadsUpToCount) {
  // Count text (none: no value), values "List1".."ListN" stored, entries loaded.
  const std::tuple<const char*, int, int, const char*> rows[] = {
      {nullptr, 0, 11, "first start: no value reads as \"0\", the patterns are written"},
      {"0", 0, 11, "a user who removed every entry gets the patterns back"},
      {"00", 3, 0, "only the exact text \"0\" writes them"},
      {"2.5", 3, 2, "a fraction: List1 and List2"},
      {"3 entries", 3, 3, "the leading number counts; a stored list stays"},
      {"-2", 3, 0, "negative: nothing"},
      {"1e9", 3, 1000, "a count beyond the stored values stops at 1000, at once"},
      {"1000", 0, 1000, "up to 1000, a count loads as written, blank entries included"},
      {"1200", 1200, 1200, "a real list longer than 1000 loads whole"},
      {"99999999999999999999", 1200, 1201, "the key's values, Count among them, bound it"},
  };
  for (const auto& [count, stored, loaded, why] : rows) {
    Clean();
    if (count) Put("Count", count);
    for (int i = 1; i <= stored; ++i) Put(Name(i), "v");
    vt::WriteDefaultList();
    HWND list1 = List({});
    vt::LoadList(list1);
    const auto items = ListItems(list1);
    EXPECT_EQ(static_cast<int>(items.size()), loaded) << why;
    EXPECT_EQ(std::count(items.begin(), items.end(), "v"), std::min(stored, loaded)) << why;
    for (size_t i = 1; loaded == 11 && i <= 11; ++i)
      EXPECT_EQ(Value(Name(i)), kSeeded[i - 1]) << why;
    DestroyWindow(list1);
  }
}

// With nothing selected each command stops; Delete saves.
TEST_F(CloseList, CommandsNeedASelectionAndDeleteSaves) {
  HWND list1 = List({"delta", "Bravo", "Cut", "charlie", "alpha"});
  DialogWatcher input(kInputTitle);
  vt::Add(List({"four"}), list1, hide_);
  vt::Delete(list1);
  vt::EditSelected(GetParent(list1), list1, hide_);
  input.Stop();
  EXPECT_FALSE(input.found) << "no input box";
  EXPECT_EQ(hides_, 2) << "Add and Edit hide the cover even when they stop";
  SendMessageA(list1, LB_SELECTSTRING, -1, reinterpret_cast<LPARAM>("Cut"));
  vt::Delete(list1);
  const Strings shown = {"alpha", "Bravo", "charlie", "delta"};
  EXPECT_EQ(ListItems(list1), shown);
  EXPECT_EQ(Value("Count"), "4");
  vt::SaveList(List({}));
  EXPECT_EQ(Value("Count"), "0") << "an emptied list seeds again at the next start";
}

TEST_F(CloseList, AddTakesTheSelectedTitleUnlessListedInAnyCase) {
  const std::string listed = kSeeded[4];
  // Selected title; the list before; whether it is added.
  const std::tuple<const char*, Strings, bool, const char*> rows[] = {
      {"ad - microsoft internet explorer", {"*Ad*", listed}, false, "listed in another case"},
      {"AD - microsoft internet explorer", {listed, "Zed"}, false, "the first entry is searched"},
      {"Ad", {"*Ad*", listed}, true, "plain text: an entry starting with it or *Ad* is no match"},
  };
  for (const auto& [title, before, added, reason] : rows) {
    Clean();
    HWND list1 = List(before);
    DialogWatcher none("Vel-Tarrow");
    vt::Add(List({title, "Other window"}, title), list1, hide_);
    none.Stop();
    EXPECT_FALSE(none.found) << reason;
    Strings want = before;
    if (added) want.insert(want.begin() + 1, title);
    EXPECT_EQ(ListItems(list1), want) << reason;
    EXPECT_EQ(Value("Count"), want.size() == 3 ? Stored("3") : std::nullopt) << "saved on change";
  }
}

TEST_F(CloseList, EditReplacesTheEntryUnlessItsTextIsListedExactly) {
  // typed: none confirms the preset; after: List1 then, "" for unchanged.
  const std::tuple<Stored, int, bool, const char*, const char*> rows[] = {
      {{}, IDOK, true, "", "confirmed unchanged: the search finds the entry itself"},
      {"Beta", IDOK, true, "", "another entry's exact text"},
      {"", IDOK, false, "", "cleared field: nothing"},
      {"New", IDCANCEL, false, "", "Cancel: nothing"},
      {"ALPHA", IDOK, false, "ALPHA", "a change of letter case alone is accepted"},
  };
  for (const auto& [typed, button, exists, after, reason] : rows) {
    Clean();
    HWND list1 = List({"Alpha", "Beta"}, "Alpha");
    DialogWatcher message("Vel-Tarrow"), input(kInputTitle, typed, button);
    vt::EditSelected(GetParent(list1), list1, hide_);
    input.Wait();
    message.Stop();
    EXPECT_EQ(input.text, "You can use wildcards here, see Help");
    EXPECT_EQ(input.edit, "Alpha") << "preset: the selected entry";
    EXPECT_EQ(message.text, exists ? "That listing already exists" : "") << reason;
    EXPECT_TRUE(!exists || (message.buttons == Strings{"OK"} && !message.shownIcon))
        << "OK only, no icon";
    EXPECT_EQ(ListItems(list1), (Strings{*after ? after : "Alpha", "Beta"})) << reason;
    EXPECT_EQ(Value("List1"), *after ? Stored(after) : std::nullopt) << "saved: " << reason;
  }
}

}  // namespace
