// The red cover laid over a running window to show which window a title
// belongs to.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vt {

// Window class of the cover, so tests and tools can find it (it has no title).
inline constexpr char kCoverClassName[] = "VelTarrowCover";

// MakeTransparent results.
inline constexpr int kTransparentDone = 0;
inline constexpr int kTransparentBadAlpha = 1;     // alpha outside 0..255
inline constexpr int kTransparentFailed = 2;       // the system has no layering call
inline constexpr int kTransparentUnsupported = 3;  // not Windows 2000 or XP

// Makes the window layered at the given opacity where the system is Windows
// 2000 or XP; returns one of the codes above.
int MakeTransparent(HWND hwnd, int alpha);

// Borderless red pop-up with no caption and no taskbar button. The window is
// made on first use and afterwards only shown and hidden; a click hides it.
class frmCover {
 public:
  explicit frmCover(HICON icon);  // icon: the main window's, handed over on a click
  ~frmCover();
  frmCover(const frmCover&) = delete;
  frmCover& operator=(const frmCover&) = delete;

  // Creates the window on first use.
  HWND hwnd();
  // Screen pixels; a change of size reshapes the cover.
  void Move(int left, int top, int width, int height);
  void Show();
  void Hide();
  bool IsVisible() const;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Form_Click();
  void Form_Resize();
  void ShapeAsFrame(SIZE size);
  SIZE CurrentSize() const;

  HICON icon_;
  HWND hwnd_ = nullptr;
  bool pressed_ = false;
  bool inResize_ = false;
  bool resizeAgain_ = false;
};

// Lays the cover exactly over `target` and keeps it above other windows; the
// main window becomes topmost and comes to the front, then repaintOrFocus runs.
// With the option off, or when the target has gone, the cover is only hidden.
void RndMove(frmCover& cover, HWND target, const std::string& selectedTitle, bool coverChecked,
             HWND mainWindow, const std::function<void()>& repaintOrFocus);

}  // namespace vt
