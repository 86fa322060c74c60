#include "about/frm_about.h"

#include <thread>
#include <utility>

#include "about/update_fetch.h"
#include "about/update_policy.h"
#include "download/frm_download.h"
#include "version.h"
#include "window_object.h"

namespace vt {
namespace {

constexpr char kAboutClass[] = "VelTarrowAbout";
constexpr UINT kMsgCheckDone = WM_APP + 1;  // wParam: generation, lParam: the fetched text
constexpr UINT_PTR kDeadlineTimer = 1;
// WinINet's own time-outs end a fetch first; this bounds the wait whatever it does.
constexpr UINT kCheckDeadlineMs = 2 * kFetchTimeoutMs + 2000;

}  // namespace

std::string AboutVersionText() {
  return "Version " VT_VERSION_TEXT;
}

frmAbout::frmAbout(HINSTANCE instance, HICON icon, AboutHooks hooks)
    : instance_(instance), icon_(icon), hooks_(std::move(hooks)) {
  if (!hooks_.update.download) {
    // The update's setup file needs no user name or password.
    hooks_.update.download = [this](std::string& url, std::string& path) {
      frmDownload dialog(instance_, hwnd_);
      std::string userName, password;
      dialog.SetHopRule(RedirectProblem);
      return dialog.DownloadFile(url, path, userName, password);
    };
  }
}

frmAbout::~frmAbout() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (boldFont_) DeleteObject(boldFont_);
}

bool frmAbout::PreTranslate(MSG& msg) {
  if (!hwnd_ || !IsWindowVisible(hwnd_) || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) {
    return false;
  }
  // Enter presses the focused button when it carries the default style, and
  // OK otherwise; a window that is not a dialog box must move the style itself.
  const bool handled = IsDialogMessageA(hwnd_, &msg);
  if (hwnd_) ShowDefaultButton();
  return handled;
}

bool frmAbout::IsPushButton(HWND control) {
  return SendMessageA(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
}

// The default style moves with the focus, whatever moved it: to the focused
// push button, or back to OK when the focus is on none.
void frmAbout::ShowDefaultButton() {
  HWND focus = GetFocus();
  HWND def = focus && GetParent(focus) == hwnd_ && IsPushButton(focus) ? focus
                                                                       : GetDlgItem(hwnd_, kAboutOk);
  for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const LONG want = c == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if (IsPushButton(c) && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) != want) {
      SendMessageA(c, BM_SETSTYLE, static_cast<WPARAM>(want), TRUE);
    }
  }
}

LRESULT frmAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kAboutOk:
        case IDCANCEL:
          Form_Hide();
          break;
        case kAboutHelp:
          if (hooks_.openHelp) hooks_.openHelp();
          break;
        case kAboutCheck:
          cmdCheck_Click();
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      Form_Hide();
      return 0;
    case WM_ACTIVATE:
      if (focus_.OnActivate(hwnd_, wp)) return 0;
      return DefWindowProcA(hwnd_, msg, wp, lp);
    case WM_TIMER:
      if (wp == kDeadlineTimer) CheckDone(generation_, nullptr);
      return 0;
    case kMsgCheckDone:
      CheckDone(static_cast<unsigned>(wp), reinterpret_cast<FetchResult*>(lp));
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wp, lp);
  }
}

void frmAbout::Create(HWND owner) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ObjectWndProc<frmAbout, &frmAbout::hwnd_, &frmAbout::HandleMessage>;
  wc.hInstance = instance_;
  wc.hIcon = icon_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kAboutClass;
  RegisterClassExA(&wc);  // fails harmlessly when a second instance registers it again

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, px(352), px(172)};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
  RECT o{};
  if (owner && IsWindowVisible(owner)) {
    GetWindowRect(owner, &o);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &o, 0);
  }
  const int w = r.right - r.left, h = r.bottom - r.top;
  CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kAboutClass, "About " VT_PRODUCT_NAME,
                  style, (o.left + o.right - w) / 2, (o.top + o.bottom - h) / 2, w, h, owner,
                  nullptr, instance_, this);
  if (!hwnd_) return;

  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA lf{};
  GetObjectA(font_, sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_ = CreateFontIndirectA(&lf);
  auto add = [&](const char* cls, const char* text, DWORD s, int x, int y, int cx, int cy, int id,
                 HFONT font) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | s, px(x), px(y), px(cx), px(cy),
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                             nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  };
  HWND pic = add("STATIC", "", SS_ICON, 16, 16, 32, 32, 0, font_);
  SendMessageA(pic, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  const DWORD label = SS_LEFT | SS_NOPREFIX;
  add("STATIC", VT_PRODUCT_NAME, label, 64, 16, 272, 18, 0, boldFont_);
  add("STATIC", AboutVersionText().c_str(), label, 64, 38, 272, 16, 0, font_);
  add("STATIC", "Closes pop-up windows by their titles.", label, 64, 56, 272, 16, 0, font_);
  add("STATIC", VT_COPYRIGHT, label, 64, 74, 272, 16, 0, font_);
  lblStatus_ = add("STATIC", "", label, 64, 100, 272, 16, kAboutStatus, font_);
  add("BUTTON", "&Help", BS_PUSHBUTTON | WS_TABSTOP, 16, 132, 75, 25, kAboutHelp, font_);
  cmdCheck_ = add("BUTTON", "Check for Updates...", BS_PUSHBUTTON | WS_TABSTOP, 99, 132, 150, 25,
                  kAboutCheck, font_);
  add("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 261, 132, 75, 25, kAboutOk, font_);
}

void frmAbout::Show(HWND owner) {
  if (!hwnd_) Create(owner);
  if (!hwnd_) return;
  ApplyUpdatePolicy();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(GetDlgItem(hwnd_, kAboutOk));
}

void frmAbout::Form_Hide() {
  ShowWindow(hwnd_, SW_HIDE);  // kept for the next time
  EndCheck();                  // a check still under way is abandoned
}

void frmAbout::EndCheck() {
  ++generation_;  // a result still on its way is dropped
  checking_ = false;
  KillTimer(hwnd_, kDeadlineTimer);
  SetWindowTextA(lblStatus_, "");
  EnableWindow(cmdCheck_, !offering_);
}

// The button shows only where the check is offered; otherwise the status line
// says why. Read afresh each time the box opens and before every check.
UpdatePolicy frmAbout::ApplyUpdatePolicy() {
  UpdatePolicy policy = ReadUpdatePolicy();
  ShowWindow(cmdCheck_, policy.offered ? SW_SHOW : SW_HIDE);
  if (!checking_) SetWindowTextA(lblStatus_, policy.reason.c_str());
  return policy;
}

void frmAbout::cmdCheck_Click() {
  if (checking_ || offering_) return;
  const UpdatePolicy policy = ApplyUpdatePolicy();
  if (!policy.offered) return;
  const std::string url = policy.channel.url;
  if (const std::string problem = UrlProblem(url); !problem.empty()) {
    MessageBoxA(hwnd_, UnreadableText("its address " + problem).c_str(), VT_PRODUCT_NAME,
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  key_ = policy.channel.key;
  checking_ = true;
  EnableWindow(cmdCheck_, FALSE);
  SetWindowTextA(lblStatus_, kCheckingText);
  SetTimer(hwnd_, kDeadlineTimer, kCheckDeadlineMs, nullptr);
  // The fetch blocks, so it runs on its own thread and posts its result back;
  // a result that finds the window gone or the check abandoned is dropped.
  std::thread([hwnd = hwnd_, generation = generation_, url, fetch = hooks_.fetch] {
    auto* fetched = new FetchResult(fetch ? fetch(url) : FetchSmallText(url, kMaxManifestBytes));
    if (!PostMessageA(hwnd, kMsgCheckDone, generation, reinterpret_cast<LPARAM>(fetched))) {
      delete fetched;
    }
  }).detach();
}

void frmAbout::CheckDone(unsigned generation, FetchResult* result) {
  const FetchResult fetched = result ? std::move(*result) : FetchResult{};
  delete result;
  if (!checking_ || generation != generation_) return;  // late or abandoned
  // No second check while this one's messages and download are open, even
  // when the box is closed and opened again meanwhile.
  offering_ = true;
  EndCheck();
  const Version current{VT_VERSION_MAJOR, VT_VERSION_MINOR, VT_VERSION_REVISION};
  OfferUpdate(hwnd_, fetched, key_, current, hooks_.update);
  offering_ = false;
  if (hwnd_) EnableWindow(cmdCheck_, TRUE);
}

}  // namespace vt
