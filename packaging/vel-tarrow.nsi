; Vel-Tarrow setup: installs for the current user alone, no elevation, into
; the user's local programs folder (the update offer saves its setup file
; beside the program, so the folder must be the user's own).
;
; Built by CPack (NSIS.template.in), or by hand:
;   makensis -DVT_PRODUCT=Vel-Tarrow -DVT_COMPANY=... -DVT_VERSION=1.2.3
;            -DVT_STAGE=<folder with the files> -DVT_ICON=<.ico> -DVT_OUTFILE=<setup.exe>
;            vel-tarrow.nsi
;
; Command line: /S silent (every step, including the uninstaller); /NORUN
; does not start the program at the end; /D=<folder> another install folder.

!ifndef VT_PRODUCT | VT_COMPANY | VT_VERSION | VT_STAGE | VT_ICON | VT_OUTFILE
  !error "VT_PRODUCT, VT_COMPANY, VT_VERSION, VT_STAGE, VT_ICON and VT_OUTFILE must be defined"
!endif

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!define EXE "${VT_PRODUCT}.exe"
!define UNINSTALLER "Uninstall.exe"
!define PRODUCT_KEY "Software\${VT_COMPANY}\${VT_PRODUCT}"
!define SETTINGS_KEY "${PRODUCT_KEY}\Settings"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${VT_PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Held by a running copy for its whole life (WinMain).
!define INSTANCE_MUTEX "Local\${VT_PRODUCT}.SingleInstance"
; The program polls "CloseNow" every 2 s; give it ample time on a busy machine.
!define END_WAIT_STEPS 120 ; x 250 ms

Name "${VT_PRODUCT}"
OutFile "${VT_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${VT_PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${VT_PRODUCT} ${VT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${VT_ICON}"
!define MUI_UNICON "${VT_ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${VT_PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${VT_STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VT_VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${VT_PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${VT_COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${VT_PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VT_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VT_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 ${VT_COMPANY}"

; Ending a running copy, shared by the installer and the uninstaller ("un.").
!macro VT_END_RUNNING_COPY un
  ; $0 = 1 while a copy of the program runs in this session.
  Function ${un}IsRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 != 0
      System::Call 'kernel32::CloseHandle(p r0)'
      StrCpy $0 1
    ${EndIf}
  FunctionEnd

  ; Asks a running copy to end through its own exit request, as any other
  ; program may, and waits until it has gone. The request is removed again
  ; afterwards, so the settings are left as they were.
  Function ${un}EndRunningCopy
    Push $0
    Push $1
    retry:
    Call ${un}IsRunning
    ${If} $0 == 1
      DetailPrint "Asking the running ${VT_PRODUCT} to end..."
      WriteRegStr HKCU "${SETTINGS_KEY}" "CloseNow" "True"
      StrCpy $1 0
      ${Do}
        Sleep 250
        IntOp $1 $1 + 1
        Call ${un}IsRunning
        ${IfThen} $1 >= ${END_WAIT_STEPS} ${|} ${ExitDo} ${|}
      ${LoopUntil} $0 == 0
      DeleteRegValue HKCU "${SETTINGS_KEY}" "CloseNow"
      ${If} $0 == 1
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
          "${VT_PRODUCT} is still running.$\r$\nChoose Exit from its menu in the notification area, then click Retry." \
          /SD IDCANCEL IDRETRY retry
        DetailPrint "${VT_PRODUCT} is still running; nothing was changed."
        Pop $1
        Pop $0
        Abort
      ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro VT_END_RUNNING_COPY ""
!insertmacro VT_END_RUNNING_COPY "un."

Function StartProgram
  Exec '"$INSTDIR\${EXE}"'
FunctionEnd

Section "Install"
  Call EndRunningCopy
  SetOutPath "$INSTDIR"
  File "${VT_STAGE}\${EXE}"
  File "${VT_STAGE}\${VT_PRODUCT}-Help.htm"
  File "${VT_STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${VT_PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${VT_PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VT_VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${VT_COMPANY}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; The finish page offers the start in the wizard; silent installs start the
; program here unless /NORUN is given.
Function .onInstSuccess
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NORUN" $1
    ${If} ${Errors}
      Call StartProgram
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${VT_PRODUCT}-Help.htm"
  Delete "$INSTDIR\LICENSE.txt"
  ; Setup files the update offer downloaded beside the program.
  Delete "$INSTDIR\${VT_PRODUCT}-Setup-*.exe"
  Delete "$SMPROGRAMS\${VT_PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${VT_PRODUCT}"
  DeleteRegKey HKCU "${UNINST_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION \
    "Remove your ${VT_PRODUCT} settings and close list as well?$\r$\nChoose No to keep them for a later install." \
    /SD IDNO IDNO keep
  DeleteRegKey HKCU "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${VT_COMPANY}"
  keep:

  ; Last, so a folder that has gone means the uninstall is complete.
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd
