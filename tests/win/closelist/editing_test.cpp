// Add, Delete and Edit on real list boxes, with the input box and message
// boxes answered by a watcher thread.
#include "closelist/editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "closelist/input_box.h"
#include "dialog_watcher.h"
#include "list_fixture.h"

namespace {

using vt::test::DialogWatcher;
using vt::test::Items;
using vt::test::ListValue;
using Strings = std::vector<std::string>;

constexpr char kInputTitle[] = "Edit Window to close list";

class Editing : public vt::test::CloseListTest {
 protected:
  void SetUp() override {
    CloseListTest::SetUp();
    running_ = vt::test::MakeSortedListBox(parent_);
  }
  void Fill(HWND list, const Strings& items) {
    for (const std::string& s : items) {
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    }
  }
  void Select(HWND list, int index) { SendMessageA(list, LB_SETCURSEL, index, 0); }
  void SelectText(HWND list, const std::string& text) {
    Select(list, static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(text.c_str()))));
  }
  std::function<void()> CountHides() {
    return [this] { ++hides_; };
  }
  // Runs Edit with the input box answered by `input`; returns what the box
  // showed. A "Vel-Tarrow" box, if any, is pressed OK and reported in `message`.
  void Edit(DialogWatcher::Options input, DialogWatcher* message = nullptr) {
    DialogWatcher box(kInputTitle, std::move(input));
    vt::EditSelected(parent_, list1_, CountHides());
    box.Wait();
    if (message) message->Wait();
    inputFound_ = box.Found();
  }

  HWND running_ = nullptr;
  int hides_ = 0;
  bool inputFound_ = false;
};

TEST_F(Editing, AddTakesTheSelectedRunningTitle) {
  struct Row {
    const char* title;
    bool added;
    const char* reason;
  } rows[] = {
      {"ad - microsoft internet explorer", false, "listed in another letter case: nothing"},
      {"Big Ad - Microsoft Internet Explorer", true,
       "plain text compare: *Ad* covers it, still added"},
      {"Win [#1]?", true, "wildcard characters are added unchanged"},
  };
  for (const Row& r : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
    SendMessageA(list1_, LB_RESETCONTENT, 0, 0);
    SendMessageA(running_, LB_RESETCONTENT, 0, 0);
    Fill(list1_, {"Ad - Microsoft Internet Explorer", "*Ad*"});
    Fill(running_, {r.title, "Other window"});
    SelectText(running_, r.title);
    hides_ = 0;
    DialogWatcher none("Vel-Tarrow");
    vt::Add(running_, list1_, CountHides());
    none.Stop();
    EXPECT_FALSE(none.Found()) << r.reason;
    EXPECT_EQ(hides_, 1) << "the cover is hidden first: " << r.reason;
    const Strings items = Items(list1_);
    EXPECT_EQ(items.size(), r.added ? 3u : 2u) << r.reason;
    EXPECT_EQ(ListValue("Count"), r.added ? "3" : "<missing>")
        << "saved only on change: " << r.reason;
    if (r.added) {
      EXPECT_NE(std::find(items.begin(), items.end(), r.title), items.end()) << r.reason;
    }
  }
}

TEST_F(Editing, AddAndDeleteWithoutSelectionDoNothing) {
  Fill(list1_, {"one", "two"});
  Fill(running_, {"three"});
  vt::Add(running_, list1_, CountHides());
  vt::Delete(list1_);
  EXPECT_EQ(Items(list1_), (Strings{"one", "two"}));
  EXPECT_EQ(ListValue("Count"), "<missing>");
  EXPECT_EQ(hides_, 1) << "Add hides the cover even when it stops";
}

TEST_F(Editing, DeleteRemovesTheSelectedEntryAndSaves) {
  Fill(list1_, {"one", "three", "two"});
  SelectText(list1_, "three");
  vt::Delete(list1_);
  EXPECT_EQ(Items(list1_), (Strings{"one", "two"}));
  EXPECT_EQ(ListValue("Count"), "2");
  EXPECT_EQ(ListValue("List2"), "two");
}

TEST_F(Editing, InputBoxShowsPromptTitleAndPreset) {
  DialogWatcher box(kInputTitle, DialogWatcher::Options().Type("typed text"));
  const std::string got =
      vt::InputBox(parent_, "You can use wildcards here, see Help", kInputTitle, "pre\xA0set");
  box.Wait();
  EXPECT_EQ(got, "typed text");
  EXPECT_EQ(box.Text(), "You can use wildcards here, see Help");
  EXPECT_EQ(box.EditText(), "pre\xA0set");
  EXPECT_EQ(box.Buttons(), (Strings{"OK", "Cancel"}));

  DialogWatcher cancel(kInputTitle, DialogWatcher::Options().Type("ignored").Press(IDCANCEL));
  EXPECT_EQ(vt::InputBox(parent_, "p", kInputTitle, "x"), "") << "Cancel gives the empty text";
  cancel.Wait();
  EXPECT_TRUE(cancel.Found());
}

TEST_F(Editing, EditThatChangesNothing) {
  struct Row {
    DialogWatcher::Options input;
    bool message;
    const char* reason;
  } rows[] = {
      {DialogWatcher::Options(), true, "confirmed unchanged: the search finds the entry itself"},
      {DialogWatcher::Options().Type("Beta"), true, "another entry's exact text"},
      {DialogWatcher::Options().Type(""), false, "cleared field: nothing"},
      {DialogWatcher::Options().Type("New").Press(IDCANCEL), false, "Cancel: nothing"},
  };
  for (const Row& r : rows) {
    SendMessageA(list1_, LB_RESETCONTENT, 0, 0);
    Fill(list1_, {"Alpha", "Beta"});
    SelectText(list1_, "Alpha");
    DialogWatcher message("Vel-Tarrow");
    Edit(r.input, r.message ? &message : nullptr);
    message.Stop();
    EXPECT_TRUE(inputFound_) << r.reason;
    EXPECT_EQ(message.Found(), r.message) << r.reason;
    if (r.message) {
      EXPECT_EQ(message.Text(), "That listing already exists");
      EXPECT_EQ(message.Buttons(), Strings{"OK"});
      EXPECT_FALSE(message.HasIcon());
    }
    EXPECT_EQ(Items(list1_), (Strings{"Alpha", "Beta"})) << r.reason;
    EXPECT_EQ(ListValue("Count"), "<missing>") << "nothing saved: " << r.reason;
  }
}

TEST_F(Editing, EditThatIsAccepted) {
  struct Row {
    const char* typed;
    Strings after;
    const char* reason;
  } rows[] = {
      {"ALPHA", {"ALPHA", "beta", "Gamma"}, "a change of letter case alone is accepted"},
      {"BETA", {"BETA", "beta", "Gamma"}, "another entry's text in another case: both kept"},
      {"Zulu", {"Zulu", "beta", "Gamma"}, "the entry keeps its index until the next load"},
  };
  for (const Row& r : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vt::ProductKey().c_str());
    SendMessageA(list1_, LB_RESETCONTENT, 0, 0);
    Fill(list1_, {"Alpha", "beta", "Gamma"});
    SelectText(list1_, "Alpha");
    hides_ = 0;
    DialogWatcher message("Vel-Tarrow");
    Edit(DialogWatcher::Options().Type(r.typed));
    message.Stop();
    EXPECT_FALSE(message.Found()) << r.reason;
    EXPECT_EQ(hides_, 1) << r.reason;
    EXPECT_EQ(Items(list1_), r.after) << r.reason;
    EXPECT_EQ(SendMessageA(list1_, LB_GETCURSEL, 0, 0), 0) << "selection kept: " << r.reason;
    EXPECT_EQ(ListValue("Count"), "3") << r.reason;
    EXPECT_EQ(ListValue("List1"), r.typed) << "saved in display order: " << r.reason;
  }
}

TEST_F(Editing, EditComparesOnlyTheFirstMatchExactly) {
  // "b" and "B" sort as equals, in either order. Typing the lower one's text
  // finds the top one first, which differs in case, so the edit goes through
  // although that exact text is listed.
  Fill(list1_, {"b", "B", "c"});
  const std::string top = Items(list1_)[0];
  const std::string lower = top == "b" ? "B" : "b";
  SelectText(list1_, "c");
  Edit(DialogWatcher::Options().Type(lower));
  EXPECT_EQ(Items(list1_), (Strings{top, lower, lower}));
}

TEST_F(Editing, EditWithoutSelectionShowsNoBox) {
  Fill(list1_, {"Alpha"});
  DialogWatcher box(kInputTitle);
  vt::EditSelected(parent_, list1_, CountHides());
  box.Stop();
  EXPECT_FALSE(box.Found());
  EXPECT_EQ(hides_, 1);
}

}  // namespace
