// The watcher other Wine tests rely on: it must tell boxes apart by title,
// report icons and buttons truly, and press the button it was given.
#include "dialog_watcher.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogWatcher, PressesTheGivenButtonAndReportsTheBox) {
  vt::test::DialogWatcher box("Watcher Probe", IDCANCEL);
  const int answer =
      MessageBoxA(nullptr, "Line one", "Watcher Probe", MB_OKCANCEL | MB_ICONEXCLAMATION);
  box.Wait();
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_TRUE(box.Found());
  EXPECT_EQ(box.Text(), "Line one");
  EXPECT_EQ(box.Buttons(), (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_TRUE(box.HasIcon()) << "else a no-icon check proves nothing";
}

TEST(DialogWatcher, CancelsABoxWithAnotherTitleInsteadOfHanging) {
  vt::test::DialogWatcher box(
      "Expected Title", vt::test::DialogWatcher::Options().Within(std::chrono::milliseconds(300)));
  const int answer = MessageBoxA(nullptr, "surprise", "Other Title", MB_OKCANCEL);
  box.Wait();
  EXPECT_FALSE(box.Found());
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_EQ(box.StrayTitles(), std::vector<std::string>{"Other Title"});
}

}  // namespace
