// The visible side of frmDownload: the window, its controls and layout, the
// labels, keys and message pumping.
#include "download/frm_download.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "controls/xp_progress_bar.h"
#include "download/download_format.h"
#include "download/value_label.h"
#include "window_object.h"

namespace vt {
namespace {

// Layout in twips at any DPI; the clip keeps its own 272 x 60 pixels.
constexpr int kClientWidth = 5340, kMargin = 120, kGap = 60, kBarHeight = 240;
constexpr int kButtonWidth = 1125, kButtonHeight = 345;
constexpr int kClipWidth = 272, kClipHeight = 60;

struct Fixed {
  int id;
  const char* cls;
  const char* text;
};

}  // namespace

struct frmDownload::Layout {
  int dpi;
  int Px(int twips) const { return MulDiv(twips, dpi, 1440); }
};

void LoadResAVI(HWND pCtrlAnimation, int pEnumAnimType) {
  // A clip that cannot be opened just leaves the control empty.
  (void)SendMessageA(pCtrlAnimation, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                     reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(pEnumAnimType)));
}

frmDownload::frmDownload(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}

frmDownload::~frmDownload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT frmDownload::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kIdCancelButton && HIWORD(wp) == BN_CLICKED) CancelButton_Click();
      if (LOWORD(wp) == IDCANCEL) Form_KeyDown(VK_ESCAPE, 0);  // Escape, through the dialog keys
      return 0;
    case WM_KEYDOWN:
      Form_KeyDown(static_cast<int>(wp), 0);
      return 0;
    case WM_CLOSE:  // the close box abandons the download like Cancel
      CancelButton_Click();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void frmDownload::Form_Load() {
  static const bool registered = [this] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ObjectWndProc<frmDownload, &frmDownload::hwnd_, &frmDownload::OnMessage>;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDownloadClass;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;  // a failure shows as a missing window below
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&icc);
  RegisterXpProgressBar(instance_);
  RegisterValueLabel(instance_);

  caption_.clear();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  CreateWindowExA(exStyle, kDownloadClass, "Download", style, 0, 0, 0, 0, owner_, nullptr,
                  instance_, this);
  if (!hwnd_) return;
  CreateControls();
  // Off the screen until DownloadFile places it.
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, -(r.right - r.left), -(r.bottom - r.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmDownload::CreateControls() {
  HDC screen = GetDC(nullptr);
  const Layout l{GetDeviceCaps(screen, LOGPIXELSX)};
  ReleaseDC(nullptr, screen);

  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  font_.reset(CreateFontIndirectA(&ncm.lfMessageFont));
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_.get());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  int captionWidth = 0;
  for (const char* caption : {"Download to:", "Transfer rate:", "Estimated time left:"}) {
    SIZE size{};
    GetTextExtentPoint32A(dc, caption, static_cast<int>(strlen(caption)), &size);
    captionWidth = std::max<int>(captionWidth, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);

  const int width = std::max(l.Px(kClientWidth), kClipWidth + 2 * l.Px(kMargin));
  const int m = l.Px(kMargin), line = tm.tmHeight + tm.tmExternalLeading + 2;
  const int inner = width - 2 * m;
  const auto add = [&](DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y,
                       int w, int h, int id) {
    HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    controls_[id - kIdDownloadTo] = c;
    return c;
  };
  const DWORD label = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  int y = m;
  add(0, ANIMATE_CLASSA, "", ACS_TRANSPARENT, (width - kClipWidth) / 2, y, kClipWidth, kClipHeight,
      kIdAnimation1);
  y += kClipHeight + l.Px(kGap);
  add(0, kValueLabelClass, "", 0, m, y, inner, line, kIdStatusLabel);
  y += line;
  add(0, kValueLabelClass, "", 0, m, y, inner, line, kIdSourceLabel);
  y += line + l.Px(kGap);
  bar_ = Xp_ProgressBar::FromWindow(
      add(0, kXpProgressBarClass, "", 0, m, y, inner, l.Px(kBarHeight), kIdProgressBar1));
  y += l.Px(kBarHeight) + l.Px(2 * kGap);
  const int valueX = m + captionWidth + l.Px(kGap);
  const Fixed rows[][2] = {
      {{kIdEstimatedTimeLeft, "STATIC", "Estimated time left:"},
       {kIdTimeLabel, kValueLabelClass, ""}},
      {{kIdDownloadTo, "STATIC", "Download to:"}, {kIdToLabel, kValueLabelClass, ""}},
      {{kIdTransferRate, "STATIC", "Transfer rate:"}, {kIdRateLabel, kValueLabelClass, ""}},
  };
  for (const auto& row : rows) {
    add(0, row[0].cls, row[0].text, label, m, y, captionWidth, line, row[0].id);
    add(0, row[1].cls, row[1].text, label, valueX, y, width - m - valueX, line, row[1].id);
    y += line + l.Px(kGap);
  }
  y += l.Px(kGap);
  const int bw = l.Px(kButtonWidth), bh = l.Px(kButtonHeight);
  add(0, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, width - m - bw, y, bw, bh,
      kIdCancelButton);
  y += bh + m;

  RECT r{0, 0, width, y};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmDownload::Form_Unload() {
  if (!hwnd_) return;
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, -(r.right - r.left), -(r.bottom - r.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  DoEvents();
  DestroyWindow(hwnd_);
}

void frmDownload::Form_KeyDown(int keyCode, int /*shift*/) {
  if (keyCode == VK_ESCAPE) CancelButton_Click();
}

void frmDownload::CancelButton_Click() {
  SetLabel(kIdStatusLabel, kCancelling);
  (void)SendMessageA(Item(kIdAnimation1), ACM_STOP, 0, 0);
  Cancelled = true;
}

void frmDownload::DoEvents() {
  if (hwnd_) FlushValueLabels(hwnd_);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program is ending: stop here and leave the request for the outer loop.
      quit_ = true, quitCode_ = static_cast<int>(msg.wParam);
      Cancelled = true;
      continue;
    }
    if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool frmDownload::WaitPumping(HANDLE handle) {
  // A bounded wait: the flag is looked at again even when nothing arrives.
  (void)MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT);
  DoEvents();
  return !Cancelled;
}

int frmDownload::Ask(const Message& message) {
  if (hwnd_) FlushValueLabels(hwnd_);
  return MessageBoxA(hwnd_, message.text.c_str(), message.title.c_str(), message.code);
}

HWND frmDownload::Item(int id) const {
  return id >= kIdDownloadTo && id <= kIdProgressBar1 ? controls_[id - kIdDownloadTo] : nullptr;
}

void frmDownload::SetLabel(int id, const std::string& text) {
  SetWindowTextA(Item(id), text.c_str());
}

std::string frmDownload::FitText(int id, const std::string& text) {
  // Measured with the form's font against the label's width.
  RECT r{};
  GetClientRect(Item(id), &r);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_.get());
  const auto measure = [dc](const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  std::string fitted = vt::FitText(text, r.right - r.left, measure);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return fitted;
}

void frmDownload::ShowProgress(std::int64_t received, std::int64_t total, float bytesPerSecond,
                               float timeLeft, const std::string& saveFileName) {
  SetLabel(kIdTimeLabel, TimeLabelText(timeLeft, received, total));
  SetLabel(kIdRateLabel, RateLabelText(bytesPerSecond));
  if (bar_) bar_->Value(static_cast<long>(received));
  // The caption changes once per percent; setting it again would repaint the frame.
  const std::string caption = ProgressCaption(received, total, saveFileName);
  if (caption != caption_) caption_ = caption, SetWindowTextA(hwnd_, caption.c_str());
}

}  // namespace vt
