// The About dialog: a small non-modal window with the program's icon, name,
// version and copyright, a button to the help page, and the update check.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "about/update_offer.h"
#include "about/update_policy.h"
#include "focus_memory.h"

namespace vt {

// "Version " followed by major.minor.revision.
std::string AboutVersionText();

// Control ids of the dialog.
inline constexpr int kAboutOk = IDOK;
inline constexpr int kAboutHelp = 101;
inline constexpr int kAboutCheck = 102;
inline constexpr int kAboutStatus = 103;

inline constexpr char kCheckingText[] = "Checking for updates...";

struct AboutHooks {
  std::function<void()> openHelp;
  UpdateHooks update;  // an empty download hook uses the download dialog
  // Runs on a worker thread; empty: FetchSmallText.
  std::function<FetchResult(const std::string& url)> fetch;
};

class frmAbout {
 public:
  frmAbout(HINSTANCE instance, HICON icon, AboutHooks hooks);
  ~frmAbout();
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Shows the dialog, creating it on first use; a second call brings it forward.
  void Show(HWND owner);
  // For the message loop: Tab, Enter and Escape in the dialog; Enter presses
  // the focused push button, or OK when the focus is on none.
  bool PreTranslate(MSG& msg);
  HWND hwnd() const { return hwnd_; }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Create(HWND owner);
  static bool IsPushButton(HWND control);
  void ShowDefaultButton();
  void Form_Hide();
  void EndCheck();
  UpdatePolicy ApplyUpdatePolicy();
  void cmdCheck_Click();
  void CheckDone(unsigned generation, FetchResult* fetched);

  HINSTANCE instance_;
  HICON icon_;
  AboutHooks hooks_;
  HWND hwnd_ = nullptr;
  HWND cmdCheck_ = nullptr, lblStatus_ = nullptr;
  HFONT font_ = nullptr, boldFont_ = nullptr;
  FocusMemory focus_;
  PublicKey key_{};          // of the check under way
  unsigned generation_ = 0;  // bumped when a check ends or is abandoned
  bool checking_ = false;
  bool offering_ = false;  // the result's messages or the download are open
};

}  // namespace vt
