// frmDownload: the modeless dialog that fetches one file over HTTP into a
// path, with a progress display, a resume after a dropped connection, and a
// clean-up of the partial file on every failure. It lives for one call of
// DownloadFile. The exe's resources must hold the animation clip (AVI 101,
// src/download/download.rc) and the progress bar's skins (controls/controls.rc).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "download/download_rules.h"
#include "download/inet_transfer.h"
#include "handle.h"

namespace vt {

inline constexpr char kDownloadClass[] = "VelTarrowDownload";
inline constexpr int kDownloadClip = 101;

// Control ids of the dialog.
enum DownloadControl : int {
  kIdDownloadTo = 100,
  kIdTransferRate,
  kIdEstimatedTimeLeft,
  kIdStatusLabel,
  kIdSourceLabel,
  kIdToLabel,
  kIdTimeLabel,
  kIdRateLabel,
  kIdCancelButton,
  kIdAnimation1,
  kIdProgressBar1,
};

// Free bytes on the volume strDrive (a root such as "C:\"), which is first
// made to end in "\".
double DiskFreeSpace(std::string& strDrive);

// Opens the clip with that resource id of this module in an animation control.
void LoadResAVI(HWND pCtrlAnimation, int pEnumAnimType);

class frmDownload {
 public:
  frmDownload(HINSTANCE instance, HWND owner);
  ~frmDownload();
  frmDownload(const frmDownload&) = delete;
  frmDownload& operator=(const frmDownload&) = delete;

  // Shows the modeless dialog, runs the download while pumping messages,
  // unloads the dialog before returning. True only for a complete file.
  bool DownloadFile(std::string& strURL, std::string& strSavePath, std::string& strUserName,
                    std::string& strPassword);

  // A server silent for this long ends the pass like a dropped connection.
  void SetReceiveTimeout(DWORD ms) { Inet1.SetReceiveTimeout(ms); }
  // Redirects are followed only where this rule allows.
  void SetHopRule(HopRule rule) { Inet1.SetHopRule(std::move(rule)); }

 private:
  struct Layout;
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Form_Load();
  void Form_Unload();
  void Form_KeyDown(int keyCode, int shift);
  void CancelButton_Click();
  void CreateControls();

  // Lets pending window events run; the dialog gets its keys first.
  void DoEvents();
  // Waits for the handle while the messages keep flowing; false once cancelled.
  bool WaitPumping(HANDLE handle);
  int Ask(const Message& message);
  HWND Item(int id) const;  // a control, without asking the window server
  void SetLabel(int id, const std::string& text);
  std::string FitText(int id, const std::string& text);
  void ShowProgress(std::int64_t received, std::int64_t total, float bytesPerSecond, float timeLeft,
                    const std::string& saveFileName);

  HINSTANCE instance_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  UniqueHandle<GdiTraits<HFONT>> font_;
  InetTransfer Inet1;
  bool Cancelled = false;
  HWND controls_[kIdProgressBar1 - kIdDownloadTo + 1] = {};
  class Xp_ProgressBar* bar_ = nullptr;
  std::string caption_;  // as last set
  bool quit_ = false;    // a WM_QUIT seen while pumping, posted again on return
  int quitCode_ = 0;
};

}  // namespace vt
