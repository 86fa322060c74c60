#include "cover/cover.h"

#include <utility>

#include "cover/misc.h"
#include "handle.h"

namespace vt {
namespace {

constexpr int kCoverAlpha = 150;
constexpr int kFrameWidth = 20;
constexpr int kTopmostRepeats = 100;
constexpr int kDelaySteps = 10000;
// The resize handler lets waiting messages run; a window that never validates
// its paint area would keep it there forever, so the pump takes at most this many.
constexpr int kMaxPumpedMessages = 256;

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

void PumpPendingMessages() {
  MSG msg;
  for (int i = 0; i < kMaxPumpedMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the message loop must still see it
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The pause between two topmost requests; volatile keeps the optimiser from
// dropping the loop.
void EmptyCountingLoop() {
  volatile int counter = 0;
  while (counter < kDelaySteps) counter = counter + 1;
}

// Activation by title: an exact, top-level match; no such window, nothing happens.
void ActivateByTitle(const std::string& title) {
  if (title.empty()) return;  // would find any untitled window, the cover included
  if (HWND w = FindWindowA(nullptr, title.c_str())) static_cast<void>(SetForegroundWindow(w));
}

void RegisterCoverClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));  // the class owns it
    wc.lpszClassName = kCoverClassName;
    return RegisterClassExA(&wc) != 0;
  }();
  static_cast<void>(registered);
}

}  // namespace

int MakeTransparent(HWND hwnd, int alpha) {
  const std::string name = GetWindowsVersionName();
  if (name != "Windows 2000" && name != "Windows XP") return kTransparentUnsupported;
  if (alpha < 0 || alpha >= 256) return kTransparentBadAlpha;
  // Looked up at run time: older user32 has no layering, and the exe must
  // still load there.
  const FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes");
  if (!proc) return kTransparentFailed;
  const auto setLayered =
      reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void (*)()>(proc));
  const LONG style = GetWindowLongA(hwnd, GWL_EXSTYLE);
  static_cast<void>(SetWindowLongA(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED));
  static_cast<void>(setLayered(hwnd, 0, static_cast<BYTE>(alpha), LWA_ALPHA));
  return kTransparentDone;
}

frmCover::frmCover(HICON icon) : icon_(icon) {}

frmCover::~frmCover() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND frmCover::hwnd() {
  if (!hwnd_) {
    RegisterCoverClassOnce(WndProc);
    // WndProc stores hwnd_ on WM_NCCREATE, before the first WM_SIZE.
    static_cast<void>(CreateWindowExA(WS_EX_TOOLWINDOW, kCoverClassName, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), this));
  }
  return hwnd_;
}

void frmCover::Move(int left, int top, int width, int height) {
  static_cast<void>(
      SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE));
}

void frmCover::Show() {
  ShowWindow(hwnd(), SW_SHOW);
}

void frmCover::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);  // hiding never creates the window
}

bool frmCover::IsVisible() const {
  return hwnd_ && IsWindowVisible(hwnd_);
}

SIZE frmCover::CurrentSize() const {
  RECT r{};
  static_cast<void>(GetWindowRect(hwnd_, &r));
  return {r.right - r.left, r.bottom - r.top};
}

LRESULT CALLBACK frmCover::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<frmCover*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<frmCover*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_SIZE:
      self->Form_Resize();
      return 0;
    // A click is a press and a release on the cover; capture brings us the release.
    case WM_LBUTTONDOWN:
      self->pressed_ = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      if (std::exchange(self->pressed_, false)) {
        static_cast<void>(ReleaseCapture());
        RECT client{};
        GetClientRect(hwnd, &client);
        const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (PtInRect(&client, at)) self->Form_Click();
      }
      return 0;
    case WM_CAPTURECHANGED:
      self->pressed_ = false;
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void frmCover::Form_Click() {
  Hide();
  if (icon_) {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }
}

void frmCover::Form_Resize() {
  // SetWindowRgn and the message pump can size the cover again while we are
  // here; a change of size is then shaped once more instead of recursing.
  if (inResize_) {
    resizeAgain_ = true;
    return;
  }
  inResize_ = true;
  SIZE shaped{};
  do {
    resizeAgain_ = false;
    shaped = CurrentSize();
    if (MakeTransparent(hwnd_, kCoverAlpha) == kTransparentUnsupported) ShapeAsFrame(shaped);
  } while (resizeAgain_ && hwnd_ &&
           (CurrentSize().cx != shaped.cx || CurrentSize().cy != shaped.cy));
  inResize_ = false;
}

// A frame kFrameWidth pixels wide: the whole window XOR its inside. The
// window's size is taken in pixels directly, which is what converting its
// twips back at the screen's twips per pixel gives.
void frmCover::ShapeAsFrame(SIZE size) {
  const int w = size.cx;
  const int h = size.cy;
  UniqueHRgn outer(CreateRectRgn(0, 0, w, h));
  UniqueHRgn inner(CreateRectRgn(kFrameWidth, kFrameWidth, w - kFrameWidth, h - kFrameWidth));
  static_cast<void>(CombineRgn(outer.get(), inner.get(), outer.get(), RGN_XOR));
  if (outer && SetWindowRgn(hwnd_, outer.get(), TRUE)) {
    static_cast<void>(outer.release());  // the window owns the region now
  }
  PumpPendingMessages();
}  // inner is deleted here

void RndMove(frmCover& cover, HWND target, const std::string& selectedTitle, bool coverChecked,
             HWND mainWindow, const std::function<void()>& repaintOrFocus) {
  if (!coverChecked) {
    cover.Hide();
    return;
  }
  RECT r{};
  if (!GetWindowRect(target, &r)) {
    cover.Hide();  // the selected window has gone: nothing to cover
    return;
  }
  // Pixels as they are: converting to twips and back at the same twips per
  // pixel would give the same numbers.
  cover.Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
  cover.Show();
  ActivateByTitle(selectedTitle);
  HWND coverWindow = cover.hwnd();
  for (int i = 0; i < kTopmostRepeats; ++i) {
    EmptyCountingLoop();
    static_cast<void>(SetWindowPos(coverWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
  }
  // The main window stays topmost from now on, above the cover it points at.
  static_cast<void>(SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
  // No activation of a title that no window bears: it could only fail.
  static_cast<void>(BringWindowToTop(mainWindow));
  if (repaintOrFocus) repaintOrFocus();
}

}  // namespace vt
