// The About dialog: a small non-modal window with the program's name and version.
#pragma once

#include <windows.h>

#include <string>

namespace vt {

// "Version " followed by major.minor.revision.
std::string AboutVersionText();

class frmAbout {
 public:
  frmAbout() = default;
  ~frmAbout();
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Shows the dialog, creating it on first use; a second call brings it forward.
  void Show(HINSTANCE instance, HWND owner, HICON icon);
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

}  // namespace vt
