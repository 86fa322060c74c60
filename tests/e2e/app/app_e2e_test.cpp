// The real program under Wine, driven from outside: settings through the registry, clicks
// as window messages, hostile input (long entries, damaged settings, hung windows).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "dialog_watcher.h"
#include "e2e_support.h"

namespace vt::e2e {
namespace {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }
};

// `n` bytes after `lead`: letters and ANSI bytes, no wildcard, longer than any title.
std::string LongText(char lead, std::size_t n) {
  std::string s(1, lead);
  while (s.size() < n)
    s += static_cast<char>(s.size() % 2 ? 'a' + s.size() % 26 : 0xA0 + s.size() % 0x60);
  return s;
}

// A damaged value as another program or a broken disk might leave it: key,
// name, type and the bytes stored, NUL included.
using Raw = std::tuple<const char*, const char*, DWORD, std::string>;
Raw Sz(const char* key, const char* name, const std::string& text, DWORD type = REG_SZ) {
  return {key, name, type, text + '\0'};
}

// Milliseconds until start-up is complete; a failed start takes for ever.
double TimedStart(App& app) {
  const auto t0 = std::chrono::steady_clock::now();
  if (!app.Start()) return 1e9;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// A first start with nothing stored, then the close-list commands, the cover
// and start with Windows; a second run meets damaged settings, a leftover
// request to close, a second copy and a new request.
TEST_F(AppTest, FirstStartCloseListStartWithWindowsGarbageAndCloseRequests) {
  App app;
  const double first = TimedStart(app);
  ASSERT_LT(first, 1e9);
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "2");
  EXPECT_EQ(SendMessageA(app.Control(kIdcList1), LB_GETCOUNT, 0, 0), 11);
  EXPECT_EQ(ReadValue(kRunKey, "Vel-Tarrow"), Quoted(App::ExePath()));
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed: 0");
  const std::pair<int, const char*> captions[] = {
      {2001, "Running Windows"},  {2003, ">"},     {2004, "<"},
      {2005, "Windows To Close"}, {2007, "&Edit"}, {2008, "Refresh Time"},
      {2011, "Seconds"}};
  for (auto [id, caption] : captions) EXPECT_EQ(TextOf(app.Control(id)), caption);
  // Centred at 369 x 441 pixels, and no position written until a close.
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(r.right - r.left, 369);
  EXPECT_EQ(r.bottom - r.top, 441);
  EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 369) / 2, 1);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  for (const char* name : {"Closed", "MainTop", "MainLeft"})
    EXPECT_FALSE(ReadValue(kSettingsKey, name));

  // The right button opens each list's menu, with no entry selected too.
  app.Show();
  for (int id : {kIdcLstEnumWindows, kIdcList1}) {
    PostMessageA(app.Control(id), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; })) << id;
    SendMessageA(app.Main(), WM_CANCELMODE, 0, 0);
    PostMessageA(app.Control(id), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));
  }
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(app.Control(kIdcList1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  std::this_thread::sleep_for(milliseconds(500));
  EXPECT_EQ(VisibleWindow("#32768"), nullptr) << "a left press opens no menu";

  // "Pick me" stays open while it is in the close list: a scan under load must not end it.
  Popups popups("--ignore-close \"Pick me\" \"Minimized pop-up\" \"Maximized pop-up\"");
  HWND minimized = FindWindowA(nullptr, "Minimized pop-up");
  HWND maximized = FindWindowA(nullptr, "Maximized pop-up");
  ShowWindow(minimized, SW_MINIMIZE);
  ShowWindow(maximized, SW_MAXIMIZE);
  app.Command(kIdmRefresh);
  ASSERT_TRUE(WaitFor([&] { return app.Index(kIdcLstEnumWindows, "Minimized pop-up") >= 0; }));
  // The list whose entry is selected; a button clicked, a double click, or a menu command.
  const std::tuple<int, int, const char*, const char*> rows[] = {
      {kIdcLstEnumWindows, 2003, "12", "\">\" adds the selected title"},
      {kIdcList1, 2004, "11", "\"<\" removes the selected entry"},
      {kIdcLstEnumWindows, LBN_DBLCLK, "12", "a double click on a running window adds"},
      {kIdcList1, LBN_DBLCLK, "11", "a double click on the close list removes"},
      {kIdcLstEnumWindows, 1009, "12", "\"&Add\" of the running list's menu"},
      {kIdcList1, 1010, "11", "\"Remove\" of the close list's menu"},
  };
  for (auto [list, trigger, count, why] : rows) {
    app.Select(list, app.Index(list, "Pick me"));
    const bool adds = list == kIdcLstEnumWindows;  // the cover option is on: selecting covers
    EXPECT_TRUE(!adds || WaitFor([] { return VisibleWindow("VelTarrowCover") != nullptr; }));
    if (trigger > 2000) SendMessageA(app.Control(trigger), BM_CLICK, 0, 0);
    if (trigger == LBN_DBLCLK) PostMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(list, trigger), 0);
    if (trigger < 2000 && trigger > 1000) app.Command(trigger);
    EXPECT_TRUE(WaitFor([&] { return ReadValue(kListKey, "Count") == count; })) << why;
    EXPECT_TRUE(!adds || !VisibleWindow("VelTarrowCover")) << why << ": adding hides the cover";
  }

  // Selecting a window restores a minimized one and covers it.
  app.Select(kIdcLstEnumWindows, app.Index(kIdcLstEnumWindows, "Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(minimized); }));
  HWND cover = nullptr;  // laid on the restored window: the cover test checks where
  ASSERT_TRUE(WaitFor([&] { return (cover = VisibleWindow("VelTarrowCover")) != nullptr; }));
  app.Select(kIdcLstEnumWindows, app.Index(kIdcLstEnumWindows, "Maximized pop-up"));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(IsZoomed(maximized)) << "a window that is not minimized keeps its state";
  app.Command(kIdmCover);  // off: the next selection only hides the cover
  EXPECT_TRUE(WaitFor([] { return ReadValue(kSettingsKey, "Cover") == "False"; }));
  EXPECT_TRUE(IsWindowVisible(cover)) << "toggling alone does not hide it";
  app.Select(kIdcLstEnumWindows, app.Index(kIdcLstEnumWindows, "Minimized pop-up"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cover); }));

  // Start with Windows off; on the next run "true" in another letter case is
  // off too, and a request left from an earlier run must not end that run.
  app.Command(kIdmStartwWindows);
  // The option is written before the Run value: wait for the last of the two.
  EXPECT_TRUE(WaitFor([] { return !ReadValue(kRunKey, "Vel-Tarrow"); }));
  EXPECT_EQ(ReadValue(kSettingsKey, "StartWithWindows"), "False");
  app.Command(kIdmExit);  // the tray menu's "E&xit"
  EXPECT_TRUE(app.process().WaitExit(5000));
  popups.process().Kill();  // the next run loads "Pick me" again, from a value left above Count
  WriteValue(kSettingsKey, "StartWithWindows", "true");
  WriteValue(kSettingsKey, "CloseNow", "True");
  WriteValue(kRunKey, "Vel-Tarrow", "stale");  // the option off removes whatever is there
  // Garbage starts about as fast as the first start, shows Refresh Time 1, a count of 0 and 1000
  // entries at most (any value type read as text), and stays where start-up does not correct it.
  const std::string k64(65536, 'x'), nines(65536, '9');
  const char *S = kSettingsKey, *L = kListKey;
  const Raw garbage[] = {
      Sz(L, "List1", k64),     Sz(S, "Time", nines),    Sz(S, "Closed", nines),
      Sz(S, "MainTop", "abc"), Sz(S, "MainLeft", k64),  Sz(S, "Cover", "maybe"),
      Sz(S, "Foreign", k64),   Sz(L, "Foreign", "1e9"), Sz(L, "Count", "1e9", REG_BINARY)};
  for (const auto& [key, name, type, data] : garbage)
    WriteRaw(key, name, type, data.data(), static_cast<DWORD>(data.size()));
  App again;
  const double ms = TimedStart(again);
  ASSERT_LT(ms, 1e9);
  EXPECT_LE(ms, first + 3000) << "the first start took " << first << " ms";
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow"));
  EXPECT_FALSE(again.process().WaitExit(3000)) << "a leftover request must not end a new run";
  EXPECT_FALSE(ReadValue(kSettingsKey, "CloseNow")) << "start-up deletes it";
  EXPECT_EQ(TextOf(again.Control(kIdcText1)), "1");
  EXPECT_EQ(ReadValue(kSettingsKey, "Time"), "1");
  const std::string status = again.StatusText();  // a first scan may have rewritten it
  EXPECT_EQ(status.substr(status.rfind(": ") + 2), "0") << status;
  EXPECT_EQ(SendMessageA(again.Control(kIdcList1), LB_GETCOUNT, 0, 0), 1000);
  for (const auto& [key, name, type, data] : garbage)  // the time and position are corrected
    EXPECT_TRUE(std::string("Time MainTop MainLeft").find(name) != std::string::npos ||
                RawValue(HKEY_CURRENT_USER, key, name) == data)
        << name;
  WriteValue(kSettingsKey, "CloseNow", "False");
  WriteValue(kSettingsKey, "StartWithWindows", "True");
  DeleteValue(kSettingsKey, "Time");
  Process second(Quoted(App::ExePath()));
  EXPECT_TRUE(second.WaitExit(3000)) << "a second copy exits at once";
  EXPECT_EQ(ReadValue(kSettingsKey, "CloseNow"), "False");
  EXPECT_FALSE(ReadValue(kSettingsKey, "Time"));
  EXPECT_FALSE(ReadValue(kRunKey, "Vel-Tarrow")) << "the second copy does not apply the option";
  again.Command(kIdmStartwWindows);
  EXPECT_TRUE(WaitFor([] { return ReadValue(kRunKey, "Vel-Tarrow") == Quoted(App::ExePath()); }));
  WriteValue(kSettingsKey, "CloseNow", "garbage");
  EXPECT_FALSE(again.process().WaitExit(2500)) << "text that is no Boolean is no request";
  WriteValue(kSettingsKey, "CloseNow", "tRUE");
  EXPECT_TRUE(again.process().WaitExit(2000 + 1500));
}

// One run from start to log-off: stored values corrected at start, the
// refresh time as typed, the tray icon and its clicks, the close box; entries
// far longer than a title, and windows whose thread never answers.
TEST_F(AppTest, StoredValuesTrayCloseBoxLongEntriesHungWindowsAndLogOff) {
  WriteValue(kSettingsKey, "Closed", "2.5");  // shown as 2, to the even neighbour
  WriteValue(kSettingsKey, "Time", "");       // equal to the empty box, still corrected
  WriteValue(kSettingsKey, "MainTop", "-200");
  WriteValue(kSettingsKey, "MainLeft", "1500");
  WriteValue(kSettingsKey, "Cover", "yes");  // damaged: the default, on
  const std::string a = LongText('A', 600), b = LongText('B', 5000), c = LongText('C', 65536);
  const std::string pattern = "*Advertisement* - Microsoft Internet Explorer";  // listed first
  const std::string stored[] = {c, "zzz short", a, b, pattern};
  WriteValue(kListKey, "Count", "5");
  for (int i = 0; i < 5; ++i)
    WriteValue(kListKey, ("List" + std::to_string(i + 1)).c_str(), stored[i]);
  const std::size_t icons = TrayIcons().size();
  const std::string ad = "Advertisement - Microsoft Internet Explorer";
  Popups longer("\"" + ad + " (not an ad)\"");  // matches no pattern, begins with the ad's title
  // Asked, and counted, once per scan tick: the status bar counts the ticks.
  Popups stays("--ignore-close \"" + ad + "\"");
  App app;
  ASSERT_TRUE(app.Start());
  HWND main = app.Main();
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed: 2");
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 441) / 2, 1);
  EXPECT_EQ(r.left, 100) << "the left that fits is kept";
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), std::to_string(r.top * 15));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), "1500");
  HWND text1 = app.Control(kIdcText1);
  // Typed text and what the box then shows; "abc" and "0.5" come while the
  // spin control shows 1. The first row is the empty text stored at start.
  const std::pair<const char*, const char*> rows[] = {{nullptr, "1"}, {"75", "60"}, {"", "1"},
                                                      {"abc", "1"},   {"0.5", "1"}, {"30", "30"},
                                                      {"0", "1"}};
  for (auto [typed, shown] : rows) {
    if (typed) SendMessageA(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
    EXPECT_EQ(TextOf(text1), shown) << (typed ? typed : "at start");
    EXPECT_EQ(ReadValue(kSettingsKey, "Time"), shown) << (typed ? typed : "at start");
  }

  ASSERT_TRUE(WaitFor([&] { return TrayIcons().size() == icons + 1; }));
  NOTIFYICONDATAA nid{};  // what a shell restart does to the icon
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = main;
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  ASSERT_TRUE(WaitFor([&] { return TrayIcons().size() == icons; }));
  // Re-added on the 21st scan tick, the one that makes the count 2.5 + 21.
  ASSERT_TRUE(WaitFor([&] { return TrayIcons().size() == icons + 1; }, seconds(30)));
  EXPECT_EQ(app.StatusText(), "Total POP-UP ads closed since startup: 24");
  const std::size_t before = stays.Log().size();
  std::this_thread::sleep_for(milliseconds(4500));
  const std::size_t asked = stays.Log().size() - before;
  EXPECT_TRUE(asked >= 2 && asked <= 7) << asked << " requests in 4.5 s";

  for (UINT ignored : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_RBUTTONDBLCLK})
    app.Click(ignored);
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(IsWindowVisible(main)) << "only a double click shows the window";
  app.Click(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
  // Another window in front, so only the program can bring its own forward.
  HWND front =
      CreateWindowExA(0, "STATIC", "Vel-Tarrow test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                      200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(StaysInFront(front));
  app.Click(WM_RBUTTONDOWN);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") != nullptr; }));
  EXPECT_EQ(GetForegroundWindow(), main) << "the main window comes forward before the menu";
  DestroyWindow(front);
  SendMessageA(main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("#32768") == nullptr; }));

  stays.process().Kill();  // the count stands still from here
  Popups cover("\"Cover me please\"");
  ASSERT_TRUE(WaitFor([&] { return app.Index(kIdcLstEnumWindows, ad) < 0; }));
  ASSERT_TRUE(WaitFor([&] { return app.Index(kIdcLstEnumWindows, "Cover me please") >= 0; }));
  app.Select(kIdcLstEnumWindows, app.Index(kIdcLstEnumWindows, "Cover me please"));
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("VelTarrowCover") != nullptr; }));
  SetWindowPos(main, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageA(main, WM_CLOSE, 0, 0);  // the close box, or any program
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
  // The cover is hidden last, after the main window.
  EXPECT_TRUE(WaitFor([] { return VisibleWindow("VelTarrowCover") == nullptr; }));
  EXPECT_EQ(TrayIcons().size(), icons + 1);
  const std::string shown = app.StatusText();
  EXPECT_EQ(ReadValue(kSettingsKey, "Closed"), shown.substr(shown.rfind(' ') + 1));
  EXPECT_EQ(ReadValue(kSettingsKey, "MainTop"), "900") << "where the window was moved";
  EXPECT_EQ(ReadValue(kSettingsKey, "MainLeft"), "600");
  auto scansOn = [&](const char* when) {
    static int n = 0;  // a title of its own: an entry keeps the handle it was made with
    Popups popup("\"Advertisement " + std::to_string(++n) + " - Microsoft Internet Explorer\"");
    EXPECT_TRUE(popup.process().WaitExit(1000 + 2000 + 4000)) << when << ": a pop-up still closes";
  };
  scansOn("hidden by the close box");
  EXPECT_TRUE(longer.process().Running());

  // The script-error close gives up on a hung window; selecting a hung
  // minimized one in "Running Windows" restores it without waiting.
  Popups hung("--hang --minimized \"Internet Explorer Script Error\" \"Hung minimized pop-up\"");
  for (const char* when : {"script error hung", "script error known to hang"}) scansOn(when);
  app.Show();
  EXPECT_TRUE(IsWindowVisible(app.Main())) << "the tray answers";
  ASSERT_TRUE(WaitFor([&] { return app.Index(kIdcLstEnumWindows, "Hung minimized pop-up") >= 0; }));
  HWND list = app.Control(kIdcLstEnumWindows);  // posted: a frozen program fails, not the test
  PostMessageA(list, LB_SETCURSEL, app.Index(kIdcLstEnumWindows, "Hung minimized pop-up"), 0);
  PostMessageA(app.Main(), WM_COMMAND, MAKEWPARAM(kIdcLstEnumWindows, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  scansOn("selected hung window");

  // The long entries are saved and edited whole: the stored bytes come back unchanged.
  auto saved = [](const char* name) { return RawValue(HKEY_CURRENT_USER, kListKey, name); };
  app.Select(kIdcList1, 3);  // the 64 K entry: its tip shows the whole text
  app.Select(kIdcList1, 4);
  app.Command(2004);  // "<": "zzz short" goes; the save rewrites the rest
  // The save writes "Count" first and List4 last: wait for the last one.
  ASSERT_TRUE(WaitFor([&] { return saved("List4") == c + '\0'; }));
  EXPECT_EQ(saved("Count"), std::string("4", 2));
  EXPECT_EQ(saved("List1"), pattern + '\0');
  EXPECT_EQ(saved("List2"), a + '\0');
  EXPECT_EQ(saved("List3"), b + '\0');
  for (std::size_t n : {600, 5000, 65536}) {  // typed into the Edit box over List2
    const std::string typed = LongText('D', n);
    app.Select(kIdcList1, 1);
    DialogWatcher input("Edit Window to close list", typed);
    app.Command(2007);  // "&Edit"
    input.Wait();
    ASSERT_TRUE(input.found) << n;
    EXPECT_TRUE(WaitFor([&] { return saved("List2") == typed + '\0'; })) << n;
  }

  // Logging off ends the program as the Exit command does: no icon, nothing saved.
  for (const char* name : {"Closed", "MainTop", "MainLeft"}) DeleteValue(kSettingsKey, name);
  SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_TRUE(app.process().WaitExit(5000));
  EXPECT_TRUE(WaitFor([&] { return TrayIcons().size() == icons; }));
  for (const char* name : {"Closed", "MainTop", "MainLeft"})
    EXPECT_FALSE(ReadValue(kSettingsKey, name));
}

}  // namespace
}  // namespace vt::e2e
