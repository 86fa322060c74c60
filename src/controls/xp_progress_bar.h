// Xp_ProgressBar: the program's own skinned progress bar, a child window
// class that a dialog or a window hosts (created by class name, sized by its
// host), with one object per window.
//
// Resources: the skins are bitmap resources. A static library cannot carry
// them, so every exe that hosts the control includes src/controls/controls.rc
// in its own resource script (ids in src/controls/controls_res.h, all in
// 6000-6199), e.g. `#include "controls/controls.rc"` with src/ on the
// resource include path, and calls RegisterXpProgressBar with its instance.
// In CMake, vt_rc_uses_skins(<exe> <its .rc>) rebuilds that script when a
// skin changes; VT_CONTROLS_RC names controls.rc itself.
//
// A new bar shows its value at once; a later resize lays out an empty trough
// that fills at the next Value or Style.
//
//   vt::RegisterXpProgressBar(instance);
//   HWND bar = CreateWindowExA(0, vt::kXpProgressBarClass, "", WS_CHILD | WS_VISIBLE,
//                              x, y, width, height, parent, id, instance, nullptr);
//   vt::Xp_ProgressBar::FromWindow(bar)->Value(42);
#pragma once

#include <windows.h>

#include <vector>

#include "controls/memory_surface.h"
#include "controls/progress_geometry.h"
#include "controls/property_bag.h"

namespace vt {

inline constexpr char kXpProgressBarClass[] = "Xp_ProgressBar";

// Registers the window class (idempotent); the skins come from this module's
// resources. False when the class cannot be registered or the skins are not
// among the module's resources.
bool RegisterXpProgressBar(HINSTANCE instance);

class Xp_ProgressBar {
 public:
  // The object of a window of the class, or nullptr.
  static Xp_ProgressBar* FromWindow(HWND hwnd);

  HWND hwnd() const { return hwnd_; }

  // Clamped into Min..Max; redraws the fill.
  long Value() const;
  void Value(long v);
  // 0 blocks, 1 auto-run, 2 smooth; lays the trough out again and redraws.
  long Style() const;
  void Style(long v);
  // One of the eight looks, 0 to 7; takes effect at the next redraw. A look
  // outside the bank is stored but keeps the pictures in use.
  long ProgressLook() const;
  void ProgressLook(long v);
  // Validated, with a message box on refusal; neither redraws nor clamps Value.
  long Min() const;
  void Min(long v);
  long Max() const;
  void Max(long v);
  // Auto-run animation; it runs only in style 1.
  bool AutoRun() const;
  void AutoRun(bool v);
  // Milliseconds between auto-run ticks; a negative interval is refused.
  short Interval() const;
  void Interval(short v);

  // The saved properties: read in their fixed order with their defaults (the
  // look through its setter, Value and Style stored as they are), or written.
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  // Hears "Value", "Style", ... whenever a setter runs; nullptr for nobody.
  void SetPropertyBag(PropertyBag* bag) { bag_ = bag; }

  // Whether Timer1 is running.
  bool Timer1Enabled() const { return timerOn_; }
  const progress::State& state() const { return s_; }
  const progress::Metrics& metrics() const { return m_; }
  // The control's own surface, which every paint copies from.
  HDC Surface() const { return surface_.dc(); }

 private:
  explicit Xp_ProgressBar(HWND hwnd);
  ~Xp_ProgressBar();
  Xp_ProgressBar(const Xp_ProgressBar&) = delete;
  Xp_ProgressBar& operator=(const Xp_ProgressBar&) = delete;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  friend bool RegisterXpProgressBar(HINSTANCE instance);

  progress::Pictures Pictures() const;  // sizes of the pictures in use
  void UserControl_Resize();
  void UserControl_Paint();
  void Timer1_Timer();
  void Redraw();  // the fill after a Value or Style change
  void Execute(const progress::Copies& copies);
  void CopyPicture(int slot, const progress::Copy& c);
  void SetTimer1(bool on);
  void Changed(const char* name);
  void Refuse(const char* message);

  HWND hwnd_;
  progress::State s_;
  progress::Metrics m_;
  progress::LookEntries look_;  // bank entries in Picture1(0) to Picture1(4)
  PropertyBag* bag_ = nullptr;
  bool timerOn_ = false;
  bool laidOut_ = false;
  MemorySurface surface_;
  progress::Copies lastFill_;  // what the surface last received, while nothing else came
  RECT pending_{};             // invalidated since the last paint
  // A picture that is the same in every column, stretched once to a height:
  // any copy of it to that height is then a plain copy from the strip.
  struct Strip {
    int slot, srcY, srcH;
    MemorySurface picture;
  };
  std::vector<Strip> strips_;
};

}  // namespace vt
