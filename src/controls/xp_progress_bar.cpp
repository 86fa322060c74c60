#include "controls/xp_progress_bar.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <utility>

#include "controls/controls_res.h"
#include "handle.h"

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
  MemorySurface surface;
  HDC dc = nullptr;
  std::array<POINT, kSlots> at{};
  std::array<progress::Size, kSlots> size{};
  std::array<bool, kSlots> sameAcross{};  // every column alike
};

SkinAtlas* g_atlas = nullptr;  // loaded once, lives as long as the process

int ResourceId(int slot) {
  if (slot == 0) return IDB_XPPB_IMG;
  if (slot == 1) return IDB_XPPB_BLANK;
  return IDB_XPPB_BANK + slot - 2;
}

bool SameAcross(HDC dc, int x0, progress::Size size) {
  for (int y = 0; y < size.h; ++y) {
    const COLORREF first = GetPixel(dc, x0, y);
    for (int x = 1; x < size.w; ++x)
      if (GetPixel(dc, x0 + x, y) != first) return false;
  }
  return true;
}

// Null when a skin is missing from the module's resources.
SkinAtlas* LoadAtlas(HINSTANCE instance) {
  std::array<UniqueHBitmap, SkinAtlas::kSlots> bitmaps;
  auto atlas = std::make_unique<SkinAtlas>();
  int width = 0, height = 0;
  for (int i = 0; i < SkinAtlas::kSlots; ++i) {
    bitmaps[i].reset(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(ResourceId(i)), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP bm{};
    if (!bitmaps[i] || GetObjectA(bitmaps[i].get(), sizeof bm, &bm) != sizeof bm) return nullptr;
    atlas->at[i] = {width, 0};
    atlas->size[i] = {bm.bmWidth, bm.bmHeight};
    width += bm.bmWidth;
    height = std::max(height, static_cast<int>(bm.bmHeight));
  }
  HDC screen = GetDC(nullptr);
  atlas->surface = MemorySurface(screen, width, height);
  ReleaseDC(nullptr, screen);
  atlas->dc = atlas->surface.dc();
  if (!atlas->dc) return nullptr;
  MemorySurface scratch(atlas->dc, 1, 1);
  for (int i = 0; i < SkinAtlas::kSlots; ++i) {
    HGDIOBJ old = SelectObject(scratch.dc(), bitmaps[i].get());
    BitBlt(atlas->dc, atlas->at[i].x, 0, atlas->size[i].w, atlas->size[i].h, scratch.dc(), 0, 0,
           SRCCOPY);
    SelectObject(scratch.dc(), old);
    atlas->sameAcross[i] = SameAcross(atlas->dc, atlas->at[i].x, atlas->size[i]);
  }
  return atlas.release();
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

Xp_ProgressBar::~Xp_ProgressBar() = default;

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
  if (v < 0 || v >= progress::kLookCount) return;
  look_ = progress::BankEntriesOfLook(v);
  lastFill_.clear();  // the same copies now show other pictures
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
  if (surface_.width() != w || surface_.height() != h) {
    HDC screen = GetDC(nullptr);
    surface_ = MemorySurface(screen, w, h);
    ReleaseDC(nullptr, screen);
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
  pending_ = {};
  const RECT& r = ps.rcPaint;
  if (HDC from = surface_.dc())
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
  EndPaint(hwnd_, &ps);
}

void Xp_ProgressBar::Timer1_Timer() {
  Execute(progress::Tick(s_, m_, Pictures()));
}

void Xp_ProgressBar::Redraw() {
  Copies copies = progress::Fill(s_, m_, Pictures());
  // The same copies again leave the surface as it is: most chunks of a
  // download move the bar by less than a pixel. (An auto-run frame is never
  // kept, as the timer draws between two of them.)
  if (copies == lastFill_) return;
  Execute(copies);
  if (s_.m_Style != progress::kStyleAutoRun) lastFill_ = std::move(copies);
}

void Xp_ProgressBar::Execute(const Copies& copies) {
  lastFill_.clear();
  if (!surface_.dc() || copies.empty()) return;
  RECT dirty{};
  // Only the trough draws on its 3-pixel frame: an auto-run tail near the
  // right end reaches past the interior, and the frame must stay whole.
  HDC to = surface_.dc();
  bool clipped = false;
  for (const progress::Copy& c : copies) {
    if (const bool clip = c.picture != Picture::kImg; clip != clipped) {
      clipped = clip;
      SelectClipRgn(to, nullptr);
      if (clip) IntersectClipRect(to, 3, 3, m_.W - 3, m_.H - 3);
    }
    const int piece = static_cast<int>(c.picture) - static_cast<int>(Picture::kPiece0);
    CopyPicture(c.picture == Picture::kImg     ? 0
                : c.picture == Picture::kBlank ? 1
                                               : 2 + look_.entry[piece],
                c);
    const RECT r{c.dst.x, c.dst.y, c.dst.x + c.dst.w, c.dst.y + c.dst.h};
    UnionRect(&dirty, &dirty, &r);
  }
  if (clipped) SelectClipRgn(to, nullptr);
  // Invalidating asks the system each time; a paint already due covers it.
  RECT covered{};
  UnionRect(&covered, &pending_, &dirty);
  if (!EqualRect(&covered, &pending_)) {
    InvalidateRect(hwnd_, &dirty, FALSE);
    pending_ = covered;
  }
}

void Xp_ProgressBar::CopyPicture(int slot, const progress::Copy& c) {
  HDC to = surface_.dc();
  const int sx = g_atlas->at[slot].x + c.src.x, sy = g_atlas->at[slot].y + c.src.y;
  if (c.dst.w == c.src.w && c.dst.h == c.src.h) {
    BitBlt(to, c.dst.x, c.dst.y, c.dst.w, c.dst.h, g_atlas->dc, sx, sy, SRCCOPY);
    return;
  }
  if (!g_atlas->sameAcross[slot]) {
    StretchBlt(to, c.dst.x, c.dst.y, c.dst.w, c.dst.h, g_atlas->dc, sx, sy, c.src.w, c.src.h,
               SRCCOPY);
    return;
  }
  auto strip = std::find_if(strips_.begin(), strips_.end(), [&](const Strip& s) {
    return s.slot == slot && s.srcY == c.src.y && s.srcH == c.src.h &&
           s.picture.height() == c.dst.h && s.picture.width() >= c.dst.w;
  });
  if (strip == strips_.end()) {
    constexpr std::size_t kMostStrips = 8;
    if (strips_.size() >= kMostStrips) strips_.clear();
    Strip s{slot, c.src.y, c.src.h, MemorySurface(to, std::max(c.dst.w, m_.W), c.dst.h)};
    if (!s.picture.dc()) return;
    StretchBlt(s.picture.dc(), 0, 0, s.picture.width(), s.picture.height(), g_atlas->dc, sx, sy,
               c.src.w, c.src.h, SRCCOPY);
    strips_.push_back(std::move(s));
    strip = strips_.end() - 1;
  }
  BitBlt(to, c.dst.x, c.dst.y, c.dst.w, c.dst.h, strip->picture.dc(), 0, 0, SRCCOPY);
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
