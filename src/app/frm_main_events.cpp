// frmMain: start-up, the scan cycle, commands, tray, position and shutdown.
#include "app/frm_main.h"

#include <commctrl.h>

#include <cmath>

#include "about/frm_about.h"
#include "app/form_position.h"
#include "app/twips.h"
#include "app/resource.h"
#include "app/run_command.h"
#include "closelist/editing.h"
#include "closelist/store.h"
#include "settings/full_registry.h"
#include "settings/keys.h"
#include "settings/text_convert.h"
#include "windows/find_and_close.h"
#include "windows/list_box_items.h"
#include "windows/running_windows.h"
#include "windows/title_rules.h"

namespace vt {
namespace {

constexpr char kClosedAtStart[] = "Total POP-UP ads closed: ";

// Text1 holds a number of seconds. A stored text far longer than any number
// (a damaged value) would keep the edit control busy for seconds, so it is
// settled before it reaches the box, as Text1_Change would settle it: "60"
// or "1" by its value, else its first characters.
std::string BoundedTimeText(const std::string& text) {
  if (text.size() <= kText1Limit) return text;
  const double value = LeadingNumber(text);
  if (value > 60) return "60";
  if (value < 1) return "1";
  return text.substr(0, kText1Limit);
}

constexpr double kFormWidth = 5535;
constexpr double kFormHeight = 6615;

}  // namespace

// ---- Start-up -------------------------------------------------------------

void frmMain::Form_Load() {
  // The single-instance check and leaving the task list happen before the
  // window exists (WinMain and the hidden owner window).
  DeleteSetting(settings::kCloseNow);  // a request left from an earlier run must not end this one
  StartWithWindowsAtStartup();
  WriteDefaultList();
  LoadList(List1_);
  // A stored empty text would equal the empty box and raise nothing; the
  // handler runs anyway, so the design interval never reaches a tick.
  const std::string time = BoundedTimeText(ReadSetting(settings::kTime));
  if (WindowText(Text1_) == time) Text1_Change();
  SetText1(time);
  CheckMenuItem(menuBar_, IDM_COVER,
                TextToBoolean(ReadSetting(settings::kCover), true) ? MF_CHECKED : MF_UNCHECKED);
  SetVScroll1Value(static_cast<int>(std::nearbyint(LeadingNumber(WindowText(Text1_)))));
  RefreshMain();  // fill the list; nothing is closed before the first tick
  AddTrayIcon();
  SetWindowTwips(nullptr, nullptr, nullptr, &kFormHeight);
  LoadFormPosition("Main");
  SetWindowTwips(nullptr, nullptr, &kFormWidth, &kFormHeight);
  ClosedCount = LeadingNumber(ReadSetting(settings::kClosed));
  SendMessageA(StatusBar1_, SB_SETTEXTA, 0,
               reinterpret_cast<LPARAM>((kClosedAtStart + ClosedCountText(ClosedCount)).c_str()));
  ShowWindow(hwnd_, SW_HIDE);
}

// ---- Scan cycle -----------------------------------------------------------

void frmMain::RefreshMain() { vt::RefreshMain(lstEnumWindows_, TempList_, &refreshMemo_); }

void frmMain::FindAndClose() {
  vt::FindAndClose(List1_, lstEnumWindows_, ClosedCount, [this](const std::string& text) {
    SendMessageA(StatusBar1_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
  });
}

void frmMain::Timer1_Timer() {
  if (ScanBusy) return;
  ScanBusy = true;
  RefreshMain();
  FindAndClose();
  ScanBusy = false;

  // Re-adding brings the icon back after the shell restarts; while it exists
  // the request fails harmlessly.
  if (++TrayTicks > 20) {
    Shell_NotifyIconA(NIM_ADD, &TrayIconData);
    TrayTicks = 0;
  }
}

void frmMain::CloseTimer_Timer() {
  // Text that is neither a Boolean nor a number reads as "no request".
  if (TextToBoolean(ReadSetting(settings::kCloseNow), false)) mnuExit_Click();
}

// ---- Refresh Time ---------------------------------------------------------

// Text changed by the program raises the change handler at once, as typing
// does; unchanged text raises nothing.
void frmMain::SetText1(const std::string& text) {
  if (WindowText(Text1_) == text) return;
  settingText1_ = true;
  SetWindowTextA(Text1_, text.c_str());
  settingText1_ = false;
  Text1_Change();
}

void frmMain::Text1_Change() {
  // Each step reads the text again: the clamping steps rewrite it, and their
  // inner run of this handler finishes first.
  if (LeadingNumber(WindowText(Text1_)) > 60) SetText1("60");
  if (LeadingNumber(WindowText(Text1_)) < 1) SetText1("1");
  SetVScroll1Value(static_cast<int>(std::nearbyint(LeadingNumber(WindowText(Text1_)))));
  const double seconds = LeadingNumber(WindowText(Text1_));
  SetTimer(hwnd_, kTimer1, static_cast<UINT>(std::llround(seconds * 1000)), nullptr);
  WriteSetting(settings::kTime, WindowText(Text1_));
}

void frmMain::SetVScroll1Value(int value) {
  if (value < 1) value = 1;
  if (value > 60) value = 60;
  if (value == vscrollValue_) return;
  vscrollValue_ = value;
  SetScrollPos(VScroll1_, SB_CTL, 61 - value, TRUE);
  VScroll1_Change();
}

void frmMain::VScroll1_Change() { SetText1(std::to_string(vscrollValue_)); }

void frmMain::OnVScroll(int code, int thumb) {
  switch (code) {
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetVScroll1Value(61 - thumb); break;
    case SB_LINEUP: SetVScroll1Value(vscrollValue_ + 1); break;
    case SB_LINEDOWN: SetVScroll1Value(vscrollValue_ - 1); break;
    case SB_PAGEUP: SetVScroll1Value(vscrollValue_ + 1); break;
    case SB_PAGEDOWN: SetVScroll1Value(vscrollValue_ - 1); break;
    case SB_TOP: SetVScroll1Value(60); break;
    case SB_BOTTOM: SetVScroll1Value(1); break;
    default: break;
  }
}

// ---- Menus ----------------------------------------------------------------

void frmMain::mnuRefresh_Click() { RefreshMain(); }

void frmMain::mnuCover_Click() {
  const bool checked = !(GetMenuState(menuBar_, IDM_COVER, MF_BYCOMMAND) & MF_CHECKED);
  CheckMenuItem(menuBar_, IDM_COVER, checked ? MF_CHECKED : MF_UNCHECKED);
  WriteSetting(settings::kCover, checked ? "True" : "False");
}

void frmMain::mnuStartwWindows_Click() {
  const bool checked = !(GetMenuState(menuBar_, IDM_STARTWWINDOWS, MF_BYCOMMAND) & MF_CHECKED);
  CheckMenuItem(menuBar_, IDM_STARTWWINDOWS, checked ? MF_CHECKED : MF_UNCHECKED);
  WriteSetting(settings::kStartWithWindows, checked ? "True" : "False");
  if (checked) {
    RegistryWrite(HKEY_CURRENT_USER, kRunKey, kRunValueName, RunCommandFor(ProgramPath()));
  } else {
    RegistryDelete(HKEY_CURRENT_USER, kRunKey, kRunValueName);
  }
}

void frmMain::StartWithWindowsAtStartup() {
  // Only the exact text "True" counts as on.
  const bool on = IsExactlyTrue(ReadSetting(settings::kStartWithWindows));
  CheckMenuItem(menuBar_, IDM_STARTWWINDOWS, on ? MF_CHECKED : MF_UNCHECKED);
  if (on) {
    RegistryWrite(HKEY_CURRENT_USER, kRunKey, kRunValueName, RunCommandFor(ProgramPath()));
  } else {
    RegistryDelete(HKEY_CURRENT_USER, kRunKey, kRunValueName);
  }
}

void frmMain::mnuHelpTopics_Click() {
  const std::string folder = ProgramFolder();
  const std::string page = folder + "\\Vel-Tarrow-Help.htm";
  // A missing page opens nothing and says nothing; asking the shell anyway
  // could bring up its own error box on some systems.
  if (GetFileAttributesA(page.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  ShellExecuteA(hwnd_, "Open", page.c_str(), "", folder.c_str(), SW_HIDE);
}

void frmMain::mnuAbout_Click() { about_->Show(hwnd_); }

void frmMain::mnuOpen_Click() { ShowWindow(hwnd_, SW_SHOW); }

void frmMain::mnuExit_Click() {
  RemoveTrayIcon();
  // Ends at once: no further handler runs and nothing is saved.
  ExitProcess(0);
}

// ---- Close list -----------------------------------------------------------

void frmMain::SaveList() { vt::SaveList(List1_); }

void frmMain::Add() {
  vt::Add(lstEnumWindows_, List1_, [this] { cover_->Hide(); });
}

void frmMain::Delete() { vt::Delete(List1_); }

void frmMain::Command3_Click() {
  EditSelected(hwnd_, List1_, [this] { cover_->Hide(); });
}

void frmMain::lstEnumWindows_MouseDown(int button) {
  if (button == 2) ShowPopupMenu(addListMenu_, 0);
}

void frmMain::List1_MouseDown(int button) {
  if (button == 2) ShowPopupMenu(removeListMenu_, 0);
}

void frmMain::List1_Click() {
  const int sel = static_cast<int>(SendMessageA(List1_, LB_GETCURSEL, 0, 0));
  if (sel >= 0) SetListTip(List1_, ListText(List1_, sel));
}

void frmMain::lstEnumWindows_Click() {
  const int sel = static_cast<int>(SendMessageA(lstEnumWindows_, LB_GETCURSEL, 0, 0));
  if (sel < 0) return;
  SetListTip(lstEnumWindows_, ListText(lstEnumWindows_, sel));
  HWND target = reinterpret_cast<HWND>(SendMessageA(lstEnumWindows_, LB_GETITEMDATA, sel, 0));
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (GetWindowPlacement(target, &wp) && wp.showCmd == SW_SHOWMINIMIZED) {
    // ShowWindow waits on the window's thread. One that answers is restored
    // at once, so the cover lands on its restored rectangle; one that does not
    // is asked to restore when it wakes, and the program goes on.
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            kHungWindowWaitMs, &ignored)) {
      ShowWindow(target, SW_SHOWNORMAL);
    } else {
      ShowWindowAsync(target, SW_SHOWNORMAL);
    }
  }
  RndMove(target);
}

void frmMain::RndMove(HWND target) {
  const int sel = static_cast<int>(SendMessageA(lstEnumWindows_, LB_GETCURSEL, 0, 0));
  const bool coverOn = GetMenuState(menuBar_, IDM_COVER, MF_BYCOMMAND) & MF_CHECKED;
  vt::RndMove(*cover_, target, sel >= 0 ? ListText(lstEnumWindows_, sel) : std::string{},
              coverOn, hwnd_, [this] { RepaintOrFocus(); });
}

// ---- Tray -----------------------------------------------------------------

void frmMain::AddTrayIcon() {
  TrayIconData = NOTIFYICONDATAA{};
  TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayIconData.hWnd = hwnd_;
  TrayIconData.uID = 1;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = WM_MOUSEMOVE;
  TrayIconData.hIcon = smallIcon_;
  // "Vel-Tarrow", its NUL, and spaces to the end of the 64 characters.
  constexpr char kTip[] = "Vel-Tarrow";
  for (char& c : TrayIconData.szTip) c = ' ';
  for (std::size_t i = 0; i < sizeof kTip; ++i) TrayIconData.szTip[i] = kTip[i];
  Shell_NotifyIconA(NIM_ADD, &TrayIconData);
}

void frmMain::RemoveTrayIcon() { Shell_NotifyIconA(NIM_DELETE, &TrayIconData); }

// The shell reports tray events as mouse moves whose x is the mouse message.
// The original divides x in twips by twips per pixel; with pixels in hand the
// two cancel out.
void frmMain::Form_MouseMove(LPARAM lp) {
  switch (LOWORD(lp)) {
    case WM_LBUTTONDBLCLK:
      ShowWindow(hwnd_, SW_SHOW);
      break;
    case WM_RBUTTONDOWN:
      SetForegroundWindow(hwnd_);
      ShowPopupMenu(trayMenu_, IDM_OPEN);
      break;
    case WM_RBUTTONUP:
      RepaintOrFocus();
      break;
    default:
      break;
  }
}

// Repaint rather than take the focus: it is harmless while the window is hidden.
void frmMain::RepaintOrFocus() {
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// ---- Position and shutdown ------------------------------------------------

void frmMain::LoadFormPosition(const std::string& name) {
  const RECT r = WindowRectTwips();
  const double width = r.right - r.left, height = r.bottom - r.top;
  const double screenW = PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), tppX_);
  const double screenH = PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), tppY_);
  const std::string top = RegistryRead(HKEY_CURRENT_USER, SettingsKey(), name + "Top",
                                       PositionText(screenH / 2 - height / 2));
  const std::string left = RegistryRead(HKEY_CURRENT_USER, SettingsKey(), name + "Left",
                                        PositionText(screenW / 2 - width / 2));
  const FormPlacement p = CorrectFormPosition(top, left, width, height, screenW, screenH);
  SetWindowTwips(&p.left, &p.top, nullptr, nullptr);
  if (p.corrected) SaveFormPosition(name);
}

void frmMain::SaveFormPosition(const std::string& name) {
  const RECT r = WindowRectTwips();
  RegistryWrite(HKEY_CURRENT_USER, SettingsKey(), name + "Top", PositionText(r.top));
  RegistryWrite(HKEY_CURRENT_USER, SettingsKey(), name + "Left", PositionText(r.left));
}

// The close box, or WM_CLOSE from another program: save, then hide to the tray.
void frmMain::Form_Unload() {
  // Stored exactly as the status bar shows it: one rounding rule for both.
  WriteSetting(settings::kClosed, ClosedCountText(ClosedCount));
  AddTrayIcon();
  SaveFormPosition("Main");
  ShowWindow(hwnd_, SW_HIDE);
  cover_->Hide();
}

// The Windows session is ending: leave at once, saving nothing.
void frmMain::Form_QueryUnloadSessionEnd() { mnuExit_Click(); }

}  // namespace vt
