#include "download/value_label.h"

#include <algorithm>
#include <string>

namespace vt {
namespace {

struct Label {
  std::string text;
  HFONT font = nullptr;
  bool stale = false;
};

Label* Of(HWND hwnd) {
  return reinterpret_cast<Label*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Paint(HWND hwnd, const Label& label) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  // The parent's colours, as a static control gets them.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(hwnd)));
  FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, label.font ? label.font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, label.text.c_str(), static_cast<int>(label.text.size()), &r,
            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Label* label = Of(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      label = new Label;
      label->text = reinterpret_cast<CREATESTRUCTA*>(lp)->lpszName
                        ? reinterpret_cast<CREATESTRUCTA*>(lp)->lpszName
                        : "";
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(label));
      return TRUE;
    case WM_NCDESTROY:
      delete label;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      return 0;
  }
  if (!label) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lp);
      const std::string next = text ? text : "";
      if (next != label->text) label->text = next, label->stale = true;
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(label->text.size());
    case WM_GETTEXT: {
      if (wp == 0) return 0;
      const std::size_t n = std::min<std::size_t>(label->text.size(), wp - 1);
      label->text.copy(reinterpret_cast<char*>(lp), n);
      reinterpret_cast<char*>(lp)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_SETFONT:
      label->font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(label->font);
    case WM_ERASEBKGND:
      return TRUE;  // painted whole in WM_PAINT
    case WM_PAINT:
      label->stale = false;
      Paint(hwnd, *label);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterValueLabel(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kValueLabelClass, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = LabelProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kValueLabelClass;
  return RegisterClassExA(&wc) != 0;
}

void FlushValueLabels(HWND parent) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpA(cls, kValueLabelClass) != 0) continue;
    if (Label* label = Of(c); label && label->stale) {
      label->stale = false;
      InvalidateRect(c, nullptr, FALSE);
    }
  }
}

}  // namespace vt
