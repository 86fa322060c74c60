// FindAndClose on real windows: what is asked to close, and what is counted.
#include "windows/find_and_close.h"

#include <algorithm>

#include "scan_support.h"
#include "windows/running_windows.h"

namespace vt {
namespace {

// One scan as the timer runs it; returns the status texts shown.
std::vector<std::string> Scan(test::ListHost& host, double& count) {
  std::vector<std::string> shown;
  RefreshMain(host.lstEnumWindows, host.tempList);
  FindAndClose(host.list1, host.lstEnumWindows, count,
               [&](const std::string& text) { shown.push_back(text); });
  return shown;
}

TEST(ClosedCountText, IsAWholeDecimalNumber) {
  const struct {
    double count;
    const char* text;
    const char* reason;
  } cases[] = {
      {0, "0", "start-up value"},
      {12, "12", "no fraction digits"},
      {1e6, "1000000", "no exponent for large counts"},
      {9007199254740992.0, "9007199254740992", "all digits of the largest exact count"},
      {-0.0, "0", "no minus sign on zero"},
  };
  for (const auto& c : cases) EXPECT_EQ(ClosedCountText(c.count), c.text) << c.reason;
}

TEST(FindAndClose, WindowMatchedByTwoPatternsIsAskedAndCountedTwice) {
  const std::string tag = test::UniqueTag();
  test::LocalWindows local;
  HWND here = local.Open("Ad " + tag, /*ignoreClose=*/true);
  test::PopupProcess other({"--ignore-close", "Ad " + tag + " elsewhere"});
  test::ListHost host;
  test::AddItems(host.list1, {"Ad *" + tag + "*", "*" + tag + "*", "No match " + tag});
  double count = 11;
  const auto shown = Scan(host, count);
  EXPECT_EQ(count, 15) << "two windows, two matching patterns each";
  EXPECT_EQ(shown, std::vector<std::string>{"Total POP-UP ads closed since startup: 15"});
  test::PumpMessages();
  EXPECT_EQ(test::LocalWindows::Closes(here), 2);
  EXPECT_EQ(other.WaitForCloses(2), (std::vector<int>{0, 0}));
}

TEST(FindAndClose, StubbornWindowIsCountedOnEveryScanClosedOneOnce) {
  const std::string tag = test::UniqueTag();
  test::PopupProcess popups({"--ignore-close", "Stubborn " + tag, "--obey-close", "Polite " + tag});
  auto windows = popups.Windows();
  ASSERT_EQ(windows["Polite " + tag].size(), 1u);
  test::ListHost host;
  test::AddItems(host.list1, {"*" + tag});
  double count = 0;
  Scan(host, count);
  EXPECT_EQ(count, 2);
  ASSERT_TRUE(test::WaitGone(windows["Polite " + tag][0]));
  for (int scan = 2; scan <= 3; ++scan) {
    Scan(host, count);
    EXPECT_EQ(count, scan + 1) << "only the window still open is asked again";
  }
  const auto closes = popups.WaitForCloses(4);
  EXPECT_EQ(std::count(closes.begin(), closes.end(), 0), 3) << "stubborn: once per scan";
  EXPECT_EQ(std::count(closes.begin(), closes.end(), 1), 1) << "polite: once, then gone";
  EXPECT_FALSE(test::Listed(host.lstEnumWindows, "Polite " + tag));
}

TEST(FindAndClose, ScriptErrorWindowIsClosedWithoutListOrCount) {
  test::PopupProcess popups({"Internet Explorer Script Error"});
  auto windows = popups.Windows();
  ASSERT_EQ(windows["Internet Explorer Script Error"].size(), 1u);
  test::ListHost host;  // empty close list
  double count = 5;
  const auto shown = Scan(host, count);
  // The close is sent, not posted: it is handled by the time the pass ends.
  EXPECT_EQ(popups.Closes().size(), 1u);
  EXPECT_TRUE(popups.Exited(5000));
  EXPECT_EQ(count, 5);
  EXPECT_EQ(shown, std::vector<std::string>{"Total POP-UP ads closed since startup: 5"});
}

TEST(FindAndClose, EmptyPatternClosesNothing) {
  const std::string tag = test::UniqueTag();
  test::LocalWindows local;
  HWND here = local.Open("Anything " + tag, /*ignoreClose=*/true);
  test::ListHost host;
  test::AddItems(host.list1, {""});
  ASSERT_EQ(SendMessageA(host.list1, LB_GETCOUNT, 0, 0), 1);
  double count = 3;
  const auto shown = Scan(host, count);
  EXPECT_EQ(count, 3) << "no listed window has an empty title";
  test::PumpMessages();
  EXPECT_EQ(test::LocalWindows::Closes(here), 0);
  EXPECT_EQ(shown, std::vector<std::string>{"Total POP-UP ads closed since startup: 3"});
}

TEST(FindAndClose, StarClosesEveryListedWindow) {
  // The running list is built by hand from our windows only: "*" over the
  // real desktop would ask every window of the session, Wine's own included.
  const std::string tag = test::UniqueTag();
  test::LocalWindows local;
  test::ListHost host;
  std::vector<HWND> made;
  for (const char* title : {"One ", "Two ", "Three "}) {
    made.push_back(local.Open(title + tag, /*ignoreClose=*/true));
    const LRESULT i = SendMessageA(host.lstEnumWindows, LB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>((title + tag).c_str()));
    SendMessageA(host.lstEnumWindows, LB_SETITEMDATA, i, reinterpret_cast<LPARAM>(made.back()));
  }
  test::AddItems(host.list1, {"*"});
  double count = 0;
  FindAndClose(host.list1, host.lstEnumWindows, count, [](const std::string&) {});
  EXPECT_EQ(count, 3);
  test::PumpMessages();
  for (HWND h : made) EXPECT_EQ(test::LocalWindows::Closes(h), 1) << test::WindowTitle(h);
}

}  // namespace
}  // namespace vt
