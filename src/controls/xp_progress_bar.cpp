#include "controls/xp_progress_bar.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "controls/controls_res.h"

namespace vt {
namespace {

using progress::Copies;
using progress::Picture;

constexpr UINT_PTR kTimer1 = 1;
constexpr int kObjectSlot = 0;  // window extra bytes hold the object

// Every skin picture side by side on one surface, so a copy needs no
// selecting: slot 0 is img, 1 blank, 2 + n the bank entry n.
struct SkinAtlas {
  static constexpr int kSlots = 2 + progress::kBankSize;
  HDC dc = nullptr;
  std::array<POINT, kSlots> at{};
  std::array<progress::Size, kSlots> size{};
};

SkinAtlas* g_atlas = nullptr;  // loaded once, lives as long as the process

int ResourceId(int slot) {
  if (slot == 0) return IDB_XPPB_IMG;
  if (slot == 1) return IDB_XPPB_BLANK;
  return IDB_XPPB_BANK + slot - 2;
}

SkinAtlas* LoadAtlas(HINSTANCE instance) {
  std::array<HBITMAP, SkinAtlas::kSlots> bitmaps{};
  auto atlas = new SkinAtlas;
  int width = 0, height = 0;
  bool ok = true;
  for (int i = 0; i < SkinAtlas::kSlots && ok; ++i) {
    bitmaps[i] = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(ResourceId(i)), IMAGE_BITMAP, 0, 0, 0));
    BITMAP bm{};
    ok = bitmaps[i] && GetObjectA(bitmaps[i], sizeof bm, &bm) == sizeof bm;
    if (!ok) break;
    atlas->at[i] = {width, 0};
    atlas->size[i] = {bm.bmWidth, bm.bmHeight};
    width += bm.bmWidth;
    height = std::max(height, static_cast<int>(bm.bmHeight));
  }
  if (ok) {
    HDC screen = GetDC(nullptr);
    atlas->dc = CreateCompatibleDC(screen);
    HBITMAP surface = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    SelectObject(atlas->dc, surface);  // stays selected for good
    HDC piece = CreateCompatibleDC(atlas->dc);
    for (int i = 0; i < SkinAtlas::kSlots; ++i) {
      HGDIOBJ old = SelectObject(piece, bitmaps[i]);
      BitBlt(atlas->dc, atlas->at[i].x, 0, atlas->size[i].w, atlas->size[i].h, piece, 0, 0,
             SRCCOPY);
      SelectObject(piece, old);
    }
    DeleteDC(piece);
  }
  for (HBITMAP b : bitmaps) {
    if (b) DeleteObject(b);
  }
  if (!ok) {
    delete atlas;
    return nullptr;
  }
  return atlas;
}

}  // namespace

bool RegisterXpProgressBar(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kXpProgressBarClass, &wc)) return g_atlas != nullptr;
  if (!g_atlas) g_atlas = LoadAtlas(instance);
  if (!g_atlas) return false;
  wc.lpfnWndProc = Xp_ProgressBar::WndProc;
  wc.cbWndExtra = sizeof(Xp_ProgressBar*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kXpProgressBarClass;
  return RegisterClassExA(&wc) != 0;
}

Xp_ProgressBar* Xp_ProgressBar::FromWindow(HWND hwnd) {
  char cls[32] = {};
  if (!hwnd || !GetClassNameA(hwnd, cls, sizeof cls) || lstrcmpiA(cls, kXpProgressBarClass) != 0) {
    return nullptr;
  }
  return reinterpret_cast<Xp_ProgressBar*>(GetWindowLongPtrA(hwnd, kObjectSlot));
}

Xp_ProgressBar::Xp_ProgressBar(HWND hwnd) : hwnd_(hwnd), look_(progress::BankEntriesOfLook(0)) {}

Xp_ProgressBar::~Xp_ProgressBar() {
  if (surface_) {
    SelectObject(surface_, surfaceOld_);
    DeleteDC(surface_);
  }
  if (surfaceBitmap_) DeleteObject(surfaceBitmap_);
}

LRESULT CALLBACK Xp_ProgressBar::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto self = reinterpret_cast<Xp_ProgressBar*>(GetWindowLongPtrA(hwnd, kObjectSlot));
  switch (msg) {
    case WM_NCCREATE:
      self = new Xp_ProgressBar(hwnd);
      SetWindowLongPtrA(hwnd, kObjectSlot, reinterpret_cast<LONG_PTR>(self));
      break;
    case WM_SIZE:
      if (self) self->UserControl_Resize();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel comes from the surface
    case WM_PAINT:
      if (self) {
        self->UserControl_Paint();
        return 0;
      }
      break;
    case WM_TIMER:
      if (self && wp == kTimer1) self->Timer1_Timer();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kTimer1);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, kObjectSlot, 0);
      delete self;
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

long Xp_ProgressBar::Value() const {
  return s_.m_Value;
}

void Xp_ProgressBar::Value(long v) {
  s_.m_Value = progress::ClampValue(s_, v);
  Changed("Value");
  Redraw();
}

long Xp_ProgressBar::Style() const {
  return s_.m_Style;
}

void Xp_ProgressBar::Style(long v) {
  s_.m_Style = v;
  SetTimer1(progress::TimerRuns(s_));
  Changed("Style");
  Execute(progress::Layout(s_, m_, Pictures(), m_.W, m_.H));
  Redraw();
}

long Xp_ProgressBar::ProgressLook() const {
  return s_.m_ProgressLook;
}

void Xp_ProgressBar::ProgressLook(long v) {
  s_.m_ProgressLook = v;
  Changed("ProgressLook");
  if (v >= 0 && v < progress::kLookCount) look_ = progress::BankEntriesOfLook(v);
}

long Xp_ProgressBar::Min() const {
  return s_.m_Min;
}

void Xp_ProgressBar::Min(long v) {
  if (const char* refused = progress::CheckMin(s_, v)) return Refuse(refused);
  s_.m_Min = v;
  Changed("Min");
}

long Xp_ProgressBar::Max() const {
  return s_.m_Max;
}

void Xp_ProgressBar::Max(long v) {
  if (const char* refused = progress::CheckMax(s_, v)) return Refuse(refused);
  s_.m_Max = v;
  Changed("Max");
}

bool Xp_ProgressBar::AutoRun() const {
  return s_.m_AutoRun;
}

void Xp_ProgressBar::AutoRun(bool v) {
  s_.m_AutoRun = v;
  SetTimer1(progress::TimerRuns(s_));
  Changed("Auto");
}

short Xp_ProgressBar::Interval() const {
  return s_.m_Interval;
}

void Xp_ProgressBar::Interval(short v) {
  if (v < 0) return;  // a timer has no negative interval
  s_.m_Interval = v;
  SetTimer1(timerOn_);  // a running timer restarts at the new pace
  Changed("Interval");
}

void Xp_ProgressBar::ReadProperties(PropertyBag& bag) {
  s_.m_Min = bag.ReadLong("Min", 0);
  s_.m_Max = bag.ReadLong("Max", 100);
  s_.m_Value = bag.ReadLong("Value", 100);
  s_.m_AutoRun = bag.ReadBool("Auto", false);
  const long interval = bag.ReadLong("Interval", 100);
  if (interval >= 0 && interval <= std::numeric_limits<short>::max()) {
    s_.m_Interval = static_cast<short>(interval);
    SetTimer1(timerOn_);
  }
  s_.m_Style = bag.ReadLong("Style", 0);
  ProgressLook(bag.ReadLong("ProgressLook", 0));
  s_.m_Step = 1;
}

void Xp_ProgressBar::WriteProperties(PropertyBag& bag) const {
  bag.WriteLong("Min", s_.m_Min, 0);
  bag.WriteLong("Max", s_.m_Max, 100);
  bag.WriteLong("Value", s_.m_Value, 100);
  bag.WriteBool("Auto", s_.m_AutoRun, false);
  bag.WriteLong("Interval", s_.m_Interval, 100);
  bag.WriteLong("Style", s_.m_Style, 0);
  bag.WriteLong("ProgressLook", s_.m_ProgressLook, 0);
}

progress::Pictures Xp_ProgressBar::Pictures() const {
  progress::Pictures p;
  p.img = g_atlas->size[0];
  p.blank = g_atlas->size[1];
  for (int i = 0; i < progress::kWorkingPieces; ++i) p.piece[i] = g_atlas->size[2 + look_.entry[i]];
  return p;
}

void Xp_ProgressBar::UserControl_Resize() {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  const int w = std::max(1, static_cast<int>(rc.right)),
            h = std::max(1, static_cast<int>(rc.bottom));
  BITMAP bm{};
  if (!surfaceBitmap_ || !GetObjectA(surfaceBitmap_, sizeof bm, &bm) || bm.bmWidth != w ||
      bm.bmHeight != h) {
    HDC screen = GetDC(nullptr);
    HBITMAP fresh = CreateCompatibleBitmap(screen, w, h);
    if (!surface_) {
      surface_ = CreateCompatibleDC(screen);
      SetStretchBltMode(surface_, COLORONCOLOR);
      surfaceOld_ = SelectObject(surface_, fresh);
    } else {
      SelectObject(surface_, fresh);
      DeleteObject(surfaceBitmap_);
    }
    ReleaseDC(nullptr, screen);
    surfaceBitmap_ = fresh;
  }
  Execute(progress::Layout(s_, m_, Pictures(), rc.right, rc.bottom));
  // A new control shows its value at once; later resizes leave the trough
  // empty until the next Value.
  if (!laidOut_ && rc.right > 0 && rc.bottom > 0) {
    laidOut_ = true;
    Redraw();
  }
}

void Xp_ProgressBar::UserControl_Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const RECT& r = ps.rcPaint;
  if (surface_)
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, surface_, r.left, r.top, SRCCOPY);
  EndPaint(hwnd_, &ps);
}

void Xp_ProgressBar::Timer1_Timer() {
  Execute(progress::Tick(s_, m_, Pictures()));
}

void Xp_ProgressBar::Redraw() {
  Copies copies = progress::Fill(s_, m_, Pictures());
  const bool bar = s_.m_Style != progress::kStyleAutoRun;
  // The same copies again leave the surface as it is: most chunks of a
  // download move the bar by less than a pixel.
  if (bar && copies == lastFill_) return;
  Execute(copies);
  if (bar) lastFill_ = std::move(copies);
}

void Xp_ProgressBar::Execute(const Copies& copies) {
  lastFill_.clear();
  if (!surface_ || copies.empty()) return;
  RECT dirty{};
  for (const progress::Copy& c : copies) {
    const int slot =
        c.picture == Picture::kImg ? 0
        : c.picture == Picture::kBlank
            ? 1
            : 2 + look_.entry[static_cast<int>(c.picture) - static_cast<int>(Picture::kPiece0)];
    const int sx = g_atlas->at[slot].x + c.src.x, sy = g_atlas->at[slot].y + c.src.y;
    if (c.dst.w == c.src.w && c.dst.h == c.src.h) {
      BitBlt(surface_, c.dst.x, c.dst.y, c.dst.w, c.dst.h, g_atlas->dc, sx, sy, SRCCOPY);
    } else {
      StretchBlt(surface_, c.dst.x, c.dst.y, c.dst.w, c.dst.h, g_atlas->dc, sx, sy, c.src.w,
                 c.src.h, SRCCOPY);
    }
    const RECT r{c.dst.x, c.dst.y, c.dst.x + c.dst.w, c.dst.y + c.dst.h};
    UnionRect(&dirty, &dirty, &r);
  }
  InvalidateRect(hwnd_, &dirty, FALSE);
}

void Xp_ProgressBar::SetTimer1(bool on) {
  timerOn_ = on;
  if (on && s_.m_Interval > 0) {
    SetTimer(hwnd_, kTimer1, static_cast<UINT>(s_.m_Interval), nullptr);
  } else {
    KillTimer(hwnd_, kTimer1);  // an interval of 0 never ticks
  }
}

void Xp_ProgressBar::Changed(const char* name) {
  if (bag_) bag_->PropertyChanged(name);
}

void Xp_ProgressBar::Refuse(const char* message) {
  MessageBoxA(GetAncestor(hwnd_, GA_ROOT), message, progress::kErrorTitle, MB_OK | MB_ICONERROR);
}

}  // namespace vt
