#include "about/frm_about.h"

#include "version.h"

namespace vt {
namespace {

constexpr char kAboutClass[] = "VelTarrowAbout";
constexpr int kOkId = 1;

HWND AddChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
              int h, int id) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return c;
}

}  // namespace

std::string AboutVersionText() { return "Version " VT_VERSION_TEXT; }

frmAbout::~frmAbout() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK frmAbout::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kOkId || LOWORD(wp) == IDCANCEL) ShowWindow(hwnd, SW_HIDE);
      return 0;
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);  // kept for the next time
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void frmAbout::Show(HINSTANCE instance, HWND owner, HICON icon) {
  if (!hwnd_) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kAboutClass;
    RegisterClassExA(&wc);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT r{0, 0, 300, 130};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT o{};
    GetWindowRect(owner, &o);
    const int w = r.right - r.left, h = r.bottom - r.top;
    hwnd_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kAboutClass, "About " VT_PRODUCT_NAME, style,
                            (o.left + o.right - w) / 2, (o.top + o.bottom - h) / 2, w, h, owner,
                            nullptr, instance, nullptr);
    if (!hwnd_) return;
    HWND pic = AddChild(hwnd_, "STATIC", "", SS_ICON, 16, 16, 32, 32, 0);
    SendMessageA(pic, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    AddChild(hwnd_, "STATIC", VT_PRODUCT_NAME, SS_LEFT | SS_NOPREFIX, 64, 16, 220, 16, 0);
    AddChild(hwnd_, "STATIC", AboutVersionText().c_str(), SS_LEFT, 64, 36, 220, 16, 0);
    AddChild(hwnd_, "STATIC", "Closes pop-up windows by their titles.", SS_LEFT, 64, 56, 220, 16,
             0);
    AddChild(hwnd_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 210, 92, 75, 25, kOkId);
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

}  // namespace vt
