// frmMain: window creation, controls and message dispatch.
#include "app/frm_main.h"

#include <commctrl.h>

#include <utility>

#include "about/frm_about.h"
#include "app/resource.h"
#include "app/twips.h"
#include "settings/keys.h"
#include "window_object.h"

namespace vt {
namespace {

constexpr char kOwnerClass[] = "VelTarrowOwner";
constexpr char kMainClass[] = "VelTarrowMain";
constexpr char kCaption[] = "Vel-Tarrow";

// Outer size of the design, in twips; start-up sets it again after placing.
constexpr double kFormWidth = 5535;
constexpr double kFormHeight = 6615;

}  // namespace

frmMain::frmMain() = default;

frmMain::~frmMain() {
  // Form_Terminate: the icon goes with the window object.
  if (hwnd_) Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
}

bool frmMain::Create(HINSTANCE instance) {
  instance_ = instance;
  if (HDC screen = GetDC(nullptr)) {
    tppX_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSX));
    tppY_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
  // The sizes the system asks for at this dpi: the resource has an image
  // drawn for each, so none is stretched.
  auto appIcon = [instance](int cx, int cy) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(cx), GetSystemMetrics(cy), LR_SHARED));
  };
  icon_ = appIcon(SM_CXICON, SM_CYICON);
  smallIcon_ = appIcon(SM_CXSMICON, SM_CYSMICON);

  WNDCLASSEXA owner{};
  owner.cbSize = sizeof owner;
  owner.lpfnWndProc = DefWindowProcA;
  owner.hInstance = instance;
  owner.hIcon = icon_;
  owner.lpszClassName = kOwnerClass;
  RegisterClassExA(&owner);

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ObjectWndProc<frmMain, &frmMain::hwnd_, &frmMain::HandleMessage>;
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.hIconSm = smallIcon_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  if (!RegisterClassExA(&wc)) return false;

  // An owned window gets no taskbar button: this keeps the program out of the
  // task list while the main window keeps its normal caption.
  owner_ = CreateWindowExA(0, kOwnerClass, kCaption, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);

  menuBar_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  hwnd_ = CreateWindowExA(0, kMainClass, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                          TwipsToPixels(kFormWidth, tppX_), TwipsToPixels(kFormHeight, tppY_),
                          owner_, menuBar_, instance, this);
  if (!hwnd_) return false;

  auto popupOf = [&](int id) { return GetSubMenu(LoadMenuA(instance, MAKEINTRESOURCEA(id)), 0); };
  trayMenu_ = popupOf(IDR_TRAYMENU);
  addListMenu_ = popupOf(IDR_ADDLISTMENU);
  removeListMenu_ = popupOf(IDR_REMOVELISTMENU);

  CreateControls();
  cover_ = std::make_unique<frmCover>(icon_);
  AboutHooks hooks;
  hooks.openHelp = [this] { mnuHelpTopics_Click(); };
  hooks.update.programFolder = ProgramFolder();
  hooks.update.exitProgram = [this] { mnuExit_Click(); };
  about_ = std::make_unique<frmAbout>(instance, icon_, std::move(hooks));
  RemoveOldSetupFiles(ProgramFolder());

  // Timer1 starts with its design interval; start-up replaces it before any tick.
  SetTimer(hwnd_, kTimer1, 3000, nullptr);
  SetTimer(hwnd_, kCloseTimer, 2000, nullptr);

  Form_Load();
  return true;
}

HWND frmMain::MakeControl(const char* cls, const char* text, DWORD style, double left, double top,
                          double width, double height, int id) {
  const DWORD exStyle = (lstrcmpiA(cls, "EDIT") == 0 || lstrcmpiA(cls, "LISTBOX") == 0)
                            ? WS_EX_CLIENTEDGE
                            : 0;
  HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | style, TwipsToPixels(left, tppX_),
                           TwipsToPixels(top, tppY_), TwipsToPixels(width, tppX_),
                           TwipsToPixels(height, tppY_), hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return h;
}

void frmMain::CreateControls() {
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const DWORD list = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

  // Created in tab order: the z-order of the children is the tab order.
  lstEnumWindows_ = MakeControl("LISTBOX", "", list | LBS_SORT, 60, 240, 2535, 5325,
                                IDC_LSTENUMWINDOWS);
  lstEnumChildWindows_ = MakeControl("LISTBOX", "", WS_TABSTOP | LBS_SORT, 2640, 2100, 195, 255,
                                     IDC_LSTENUMCHILDWINDOWS);
  List1_ = MakeControl("LISTBOX", "", list | LBS_SORT, 3000, 240, 2355, 4740, IDC_LIST1);
  Command1_ = MakeControl("BUTTON", ">", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 2640, 300, 315,
                          315, IDC_COMMAND1);
  TempList_ = MakeControl("LISTBOX", "", WS_TABSTOP, 2820, 2100, 195, 255, IDC_TEMPLIST);
  Text1_ = MakeControl("EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 3060, 5220, 975, 315,
                       IDC_TEXT1);
  SendMessageA(Text1_, EM_LIMITTEXT, kText1Limit, 0);  // typing and pasting stay short too
  VScroll1_ = MakeControl("SCROLLBAR", "", WS_VISIBLE | WS_TABSTOP | SBS_VERT, 4020, 5220, 195,
                          315, IDC_VSCROLL1);
  Command2_ = MakeControl("BUTTON", "<", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 2640, 660, 315,
                          315, IDC_COMMAND2);
  Command3_ = MakeControl("BUTTON", "&Edit", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 4680, 4980,
                          615, 315, IDC_COMMAND3);

  // The labels reach over the borders of the list, the Refresh Time box and
  // the Edit button below them. Created last, they lie under every other
  // control, and clipping them to what is not covered keeps those borders whole.
  const DWORD label = WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  Label2_ = MakeControl("STATIC", "Running Windows", label, 60, 60, 1875, 195, IDC_LABEL2);
  Label1_ = MakeControl("STATIC", "Windows To Close", label, 3000, 60, 1515, 195, IDC_LABEL1);
  Label3_ = MakeControl("STATIC", "Refresh Time", label, 3060, 5040, 1455, 195, IDC_LABEL3);
  Label4_ = MakeControl("STATIC", "Seconds", label, 4260, 5280, 1095, 195, IDC_LABEL4);
  // A caption wider than its design box (fonts differ between systems) gets
  // the room it needs, as an auto-sized label would.
  for (HWND l : {Label1_, Label2_, Label3_, Label4_}) FitLabel(l);

  StatusBar1_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR1)),
                                instance_, nullptr);

  // The spin control: 1 to 60; the scroll position runs the other way so the
  // up arrow raises the value.
  SetScrollRange(VScroll1_, SB_CTL, 1, 60, FALSE);
  SetScrollPos(VScroll1_, SB_CTL, 61 - vscrollValue_, TRUE);

  // Tool tips of the two lists show the selected entry's full text.
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                             0, 0, 0, hwnd_, nullptr, instance_, nullptr);
  for (HWND l : {lstEnumWindows_, List1_}) {
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND;  // mouse messages are relayed by ListProc
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(l);
    ti.lpszText = const_cast<char*>("");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    // Plain subclassing: the scan sends these lists thousands of messages, and
    // a subclass kept in a window property costs a lookup on every one.
    // A wide procedure keeps the lists Unicode windows, so their items are
    // read whole through the wide messages (an ANSI one in between would
    // convert every item through a fixed-size buffer).
    SetWindowLongPtrA(l, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(l, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  }
}

void frmMain::FitLabel(HWND label) {
  RECT r{};
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  const std::string text = WindowText(label);
  SIZE size{};
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font_);
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  if (size.cx > r.right - r.left) {
    SetWindowPos(label, nullptr, 0, 0, size.cx, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  }
}

void frmMain::SetListTip(HWND list, const std::string& text) {
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(list);
  ti.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string frmMain::WindowText(HWND hwnd) {
  std::string s(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  s.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, s.data(), static_cast<int>(s.size()))));
  return s;
}

std::string frmMain::ProgramPath() { return ProgramFilePath(); }

std::string frmMain::ProgramFolder() {
  const std::string path = ProgramPath();
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

void frmMain::SetWindowTwips(const double* left, const double* top, const double* width,
                             const double* height) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int x = left ? TwipsToPixels(*left, tppX_) : r.left;
  const int y = top ? TwipsToPixels(*top, tppY_) : r.top;
  const int w = width ? TwipsToPixels(*width, tppX_) : r.right - r.left;
  const int h = height ? TwipsToPixels(*height, tppY_) : r.bottom - r.top;
  SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT frmMain::WindowRectTwips() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return RECT{static_cast<LONG>(PixelsToTwips(r.left, tppX_)),
              static_cast<LONG>(PixelsToTwips(r.top, tppY_)),
              static_cast<LONG>(PixelsToTwips(r.right, tppX_)),
              static_cast<LONG>(PixelsToTwips(r.bottom, tppY_))};
}

bool frmMain::PreTranslate(MSG& msg) {
  if (about_ && about_->PreTranslate(msg)) return true;
  return hwnd_ && IsWindowVisible(hwnd_) && IsDialogMessageA(hwnd_, &msg);
}

void frmMain::ShowPopupMenu(HMENU menu, int defaultItem) {
  POINT pt{};
  GetCursorPos(&pt);
  if (defaultItem) SetMenuDefaultItem(menu, static_cast<UINT>(defaultItem), FALSE);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
}

// The lists' mouse-down events: the button code is 1, 2 or 4 for the button
// that was pressed.
LRESULT CALLBACK frmMain::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    MSG relay{hwnd, msg, wp, lp, 0, {}};
    SendMessageA(form->tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
  }
  int button = 0;
  if (msg == WM_LBUTTONDOWN) button = 1;
  if (msg == WM_RBUTTONDOWN) button = 2;
  if (msg == WM_MBUTTONDOWN) button = 4;
  if (button) {
    if (hwnd == form->lstEnumWindows_) form->lstEnumWindows_MouseDown(button);
    if (hwnd == form->List1_) form->List1_MouseDown(button);
  }
  return CallWindowProcW(form->listProc_, hwnd, msg, wp, lp);
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lp) == VScroll1_) OnVScroll(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1_Timer();
      if (wp == kCloseTimer) CloseTimer_Timer();
      return 0;
    case WM_MOUSEMOVE:
      Form_MouseMove(lp);
      return 0;
    case WM_KILLFOCUS:
      RepaintOrFocus();
      break;
    case WM_ACTIVATE:
      if (focus_.OnActivate(hwnd_, wp)) return 0;
      break;
    case WM_CLOSE:
      Form_Unload();  // cancels the close: the window only hides
      return 0;
    case WM_QUERYENDSESSION:
      Form_QueryUnloadSessionEnd();
      return TRUE;
    case WM_SIZE:
      SendMessageA(StatusBar1_, WM_SIZE, 0, 0);
      break;
    case WM_DESTROY:
      Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void frmMain::OnCommand(int id, int code) {
  switch (id) {
    case IDM_REFRESH: mnuRefresh_Click(); break;
    case IDM_COVER: mnuCover_Click(); break;
    case IDM_STARTWWINDOWS: mnuStartwWindows_Click(); break;
    case IDM_HELPTOPICS: mnuHelpTopics_Click(); break;
    case IDM_ABOUT:
    case IDM_RIGHTABOUT: mnuAbout_Click(); break;
    case IDM_OPEN: mnuOpen_Click(); break;
    case IDM_EXIT: mnuExit_Click();
    case IDM_ADDLISTADD: Add(); break;
    case IDM_REMOVELISTREMOVE: Delete(); break;
    case IDC_COMMAND1: if (code == BN_CLICKED) Command1_Click(); break;
    case IDC_COMMAND2: if (code == BN_CLICKED) Command2_Click(); break;
    case IDC_COMMAND3: if (code == BN_CLICKED) Command3_Click(); break;
    case IDC_TEXT1:
      if (code == EN_CHANGE && !settingText1_) Text1_Change();
      break;
    case IDC_LSTENUMWINDOWS:
      if (code == LBN_SELCHANGE) lstEnumWindows_Click();
      if (code == LBN_DBLCLK) lstEnumWindows_DblClick();
      break;
    case IDC_LIST1:
      if (code == LBN_SELCHANGE) List1_Click();
      if (code == LBN_DBLCLK) List1_DblClick();
      break;
    default:
      break;
  }
}

}  // namespace vt
