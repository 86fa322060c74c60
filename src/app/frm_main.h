// The main window: it owns the close list, the running-windows list, the
// timers, the count and the tray icon. The window procedure only dispatches
// to the handlers below; the logic lives in the folders they call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "cover/cover.h"
#include "focus_memory.h"
#include "windows/running_windows.h"

namespace vt {

class frmAbout;

// The most characters the Refresh Time box holds: far more than any number of
// seconds needs, and short enough for the edit control to take at once.
inline constexpr std::size_t kText1Limit = 255;

class frmMain {
 public:
  frmMain();
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Creates the window and runs the start-up sequence. False if the window
  // could not be created.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  // For the message loop: tab and arrow keys between the controls.
  bool PreTranslate(MSG& msg);

  // Public operations of the main window.
  void RefreshMain();
  void FindAndClose();
  void SaveList();
  void Add();
  void Delete();
  void RndMove(HWND target);

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static constexpr UINT_PTR kTimer1 = 1;
  static constexpr UINT_PTR kCloseTimer = 2;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code);

  void CreateControls();
  HWND MakeControl(const char* cls, const char* text, DWORD style, double left, double top,
                   double width, double height, int id);

  // Start-up, scan cycle and refresh time.
  void Form_Load();
  void Timer1_Timer();
  void CloseTimer_Timer();
  void Text1_Change();
  void VScroll1_Change();
  void SetText1(const std::string& text);
  void SetVScroll1Value(int value);
  void OnVScroll(int code, int thumb);

  // Menus.
  void mnuRefresh_Click();
  void mnuCover_Click();
  void mnuStartwWindows_Click();
  void mnuHelpTopics_Click();
  void mnuAbout_Click();
  void mnuOpen_Click();
  [[noreturn]] void mnuExit_Click();

  // Close-list editing triggers.
  void Command1_Click() { Add(); }
  void Command2_Click() { Delete(); }
  void Command3_Click();
  void lstEnumWindows_DblClick() { Add(); }
  void List1_DblClick() { Delete(); }
  void lstEnumWindows_MouseDown(int button);
  void List1_MouseDown(int button);
  void List1_Click();
  void lstEnumWindows_Click();

  // Tray.
  void AddTrayIcon();
  void RemoveTrayIcon();
  void Form_MouseMove(LPARAM lp);
  void RepaintOrFocus();

  // Start with Windows, position and shutdown.
  void StartWithWindowsAtStartup();
  void LoadFormPosition(const std::string& name);
  void SaveFormPosition(const std::string& name);
  void Form_Unload();
  void Form_QueryUnloadSessionEnd();

  // Twips helpers for this window.
  void SetWindowTwips(const double* left, const double* top, const double* width,
                      const double* height);
  RECT WindowRectTwips() const;

  void ShowPopupMenu(HMENU menu, int defaultItem);
  void SetListTip(HWND list, const std::string& text);
  void FitLabel(HWND label);
  static std::string WindowText(HWND hwnd);
  static std::string ProgramFolder();
  static std::string ProgramPath();

  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;  // hidden owner: keeps the main window off the taskbar
  HWND hwnd_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU trayMenu_ = nullptr, addListMenu_ = nullptr, removeListMenu_ = nullptr;
  HICON icon_ = nullptr, smallIcon_ = nullptr;  // at the system's icon sizes
  HFONT font_ = nullptr;
  double tppX_ = 15, tppY_ = 15;

  HWND Label1_ = nullptr, Label2_ = nullptr, Label3_ = nullptr, Label4_ = nullptr;
  HWND lstEnumWindows_ = nullptr, lstEnumChildWindows_ = nullptr, List1_ = nullptr;
  HWND TempList_ = nullptr;
  HWND Command1_ = nullptr, Command2_ = nullptr, Command3_ = nullptr;
  HWND Text1_ = nullptr, VScroll1_ = nullptr, StatusBar1_ = nullptr;
  HWND tooltip_ = nullptr;
  WNDPROC listProc_ = nullptr;  // the list box class's own procedure
  FocusMemory focus_;

  // Scan cycle state.
  bool ScanBusy = false;
  short TrayTicks = 0;
  double ClosedCount = 0;
  RefreshMemo refreshMemo_;  // what the last refresh listed
  int vscrollValue_ = 1;
  bool settingText1_ = false;  // the program is changing Text1 and runs Text1_Change itself

  NOTIFYICONDATAA TrayIconData{};
  std::unique_ptr<frmCover> cover_;
  std::unique_ptr<frmAbout> about_;
};

}  // namespace vt
