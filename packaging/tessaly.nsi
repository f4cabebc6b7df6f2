; Tessaly setup, built by scripts/release.sh.
;
; Installs for the current user (no administrator prompt) unless the setup runs elevated or is
; given /ALLUSERS; /CURRENTUSER asks for a per-user install even when elevated. /S is silent,
; /D=folder (last, unquoted) picks the folder. An install over an existing one keeps its
; folder, the settings and the saved startup list.
;
; makensis defines: VERSION (x.y.z), PROGRAMS (folder with varnok.exe and pelmora.exe), DOCS
; (folder with readme.txt and license.txt), ICON, OUTFILE, and optionally WIZARD_BMP for the
; welcome and finish pages.

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID /FINAL lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define APP "Tessaly"
!define PUBLISHER "Orvix"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly"
!define SETTINGS_KEY "software\orvix\tessaly"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "varnok.exe"
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_SHARING_VIOLATION 32

Name "${APP}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "tessaly-${VERSION}-setup.exe"

Var AllUsers    ; 1 for a per-machine install
Var ModeText    ; who the install is for, as the welcome page says it
Var Purge       ; 1 when the uninstaller also removes settings and saved lists
Var PurgeBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!ifdef WIZARD_BMP
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BMP}"
  !define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BMP}"
!endif
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Welcome to the ${APP} ${VERSION} setup"
!define MUI_WELCOMEPAGE_TEXT "This installs ${APP}: varnok, the process manager and startup monitor, and pelmora, the status monitor in the notification area.$\r$\n$\r$\n$ModeText$\r$\n$\r$\nIf ${APP} is running, the setup will ask it to close before replacing its files. Your settings and the saved list of startup programs are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DOCS}/license.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Start ${APP} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVarnok
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the &read-me"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------------------------
; Helpers

; Runs CMD on each file the setup owns. Anything else in the folder (the saved startup list,
; the inventory) is the programs' own data.
!macro _TessalyEach CMD PREFIX SUFFIX
  ${CMD} "${PREFIX}varnok.exe${SUFFIX}"
  ${CMD} "${PREFIX}pelmora.exe${SUFFIX}"
  ${CMD} "${PREFIX}readme.txt${SUFFIX}"
  ${CMD} "${PREFIX}license.txt${SUFFIX}"
  ${CMD} "${PREFIX}uninstall.exe${SUFFIX}"
!macroend

; Sets $R0 to NAME when $R0 is still "" and $INSTDIR\NAME cannot be opened for exclusive
; writing (a running program, or a file held open).
!macro _CheckBusy NAME
  ${If} $R0 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    ; GENERIC_READ | GENERIC_WRITE, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\${NAME}", i 0xC0000000, i 0, p 0, i 3, i 0x80, p 0)p.r0'
    ${If} $0 P= -1
      StrCpy $R0 "${NAME}"
    ${Else}
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${EndIf}
!macroend

; Adds the size of file PATH to $1.
!macro _AddSize PATH
  ClearErrors
  FileOpen $2 "${PATH}" r
  ${IfNot} ${Errors}
    FileSeek $2 0 END $3
    FileClose $2
    IntOp $1 $1 + $3
  ${EndIf}
!macroend

; Deletes what the programs save in DIR: the startup list and the inventory.
!macro _DeleteSavedData DIR
  Delete "${DIR}\startst.txt"
  Delete "${DIR}\starttmp.txt"
  Delete "${DIR}\starttmp2.txt"
  Delete "${DIR}\a.txt"
!macroend

; ---------------------------------------------------------------------------------------------
; Shared by the setup and the uninstaller (NSIS wants separate "un." copies of each function).

!macro TESSALY_SHARED UN
; $0 = 1 when this process holds an elevated token.
Function ${UN}IsElevated
  StrCpy $0 0
  System::Call 'kernel32::GetCurrentProcess()p.r1'
  System::Call 'advapi32::OpenProcessToken(pr1, i 8, *p.r2)i.r3'
  ${If} $3 <> 0
    ; TokenElevation (20): a DWORD that is non-zero when elevated.
    System::Call 'advapi32::GetTokenInformation(pr2, i 20, *i.r4, i 4, *i.r5)i.r3'
    ${If} $3 <> 0
    ${AndIf} $4 <> 0
      StrCpy $0 1
    ${EndIf}
    System::Call 'kernel32::CloseHandle(pr2)'
  ${EndIf}
FunctionEnd

; Per-machine or per-user: shell folders and SHCTX follow $AllUsers.
Function ${UN}ApplyMode
  ${If} $AllUsers = 1
    SetShellVarContext all
    StrCpy $ModeText "It is installed for all users of this computer."
  ${Else}
    SetShellVarContext current
    StrCpy $ModeText "It is installed for you only; no administrator rights are needed."
  ${EndIf}
FunctionEnd

; Posts WM_CLOSE to every top-level window of a varnok or pelmora started from $INSTDIR.
; Programs of the same name elsewhere (a portable copy) are left alone.
Function ${UN}AskProgramsToClose
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0  ; window
  StrCpy $3 0  ; process id whose path was last read
  StrCpy $4 "" ; its path
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r0, p 0, p 0)p.r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i.r1)i'
    ${If} $1 <> $3
      StrCpy $3 $1
      StrCpy $4 ""
      ; PROCESS_QUERY_LIMITED_INFORMATION
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1)p.r2'
      ${If} $2 P<> 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w.r4, *i ${NSIS_MAX_STRLEN})i'
        System::Call 'kernel32::CloseHandle(p r2)'
      ${EndIf}
    ${EndIf}
    ${If} $4 == "$INSTDIR\varnok.exe"
    ${OrIf} $4 == "$INSTDIR\pelmora.exe"
      System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)i'
    ${EndIf}
  ${Loop}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0 = the first of our programs in $INSTDIR that cannot be opened for exclusive writing
; (still running, or held open), or "" when every one is free.
Function ${UN}FindBusyProgram
  Push $0
  StrCpy $R0 ""
  !insertmacro _CheckBusy "varnok.exe"
  !insertmacro _CheckBusy "pelmora.exe"
  Pop $0
FunctionEnd

; Asks running programs to close and waits up to ten seconds for their files to be free. When
; one stays in use the user may retry; otherwise (and always when silent) $R0 names the busy
; file on return, and is "" when all are free.
Function ${UN}ClosePrograms
  Push $1
  Push $2
  ${Do}
    Call ${UN}AskProgramsToClose
    StrCpy $1 0
    ${Do}
      Call ${UN}FindBusyProgram
      ${If} $R0 == ""
      ${OrIf} $1 >= 40
        ${Break}
      ${EndIf}
      ${If} $1 = 0
        DetailPrint "Waiting for ${APP} to close..."
      ${EndIf}
      Sleep 250
      IntOp $1 $1 + 1
      ; A program that was starting up may only now have made its window.
      IntOp $2 $1 % 8
      ${If} $2 = 0
        Call ${UN}AskProgramsToClose
      ${EndIf}
    ${Loop}
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    DetailPrint "$INSTDIR\$R0 is still in use."
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "This program is still running and did not close when asked:$\r$\n$\r$\n$INSTDIR\$R0$\r$\n$\r$\nClose ${APP} (and pelmora in the notification area), then click Retry. Cancel stops without changing anything." /SD IDCANCEL IDRETRY retry
    ${Break}
    retry:
  ${Loop}
  Pop $2
  Pop $1
FunctionEnd
!macroend

!insertmacro TESSALY_SHARED ""
!insertmacro TESSALY_SHARED "un."

; ---------------------------------------------------------------------------------------------
; Setup

Function .onInit
  ${GetParameters} $R0
  StrCpy $AllUsers 0
  Call IsElevated
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    ${If} $0 = 0
      MessageBox MB_OK|MB_ICONSTOP "Installing ${APP} for all users needs administrator rights. Start the setup with $\"Run as administrator$\", or without /ALLUSERS to install it for yourself." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${ElseIf} $0 = 1
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${If} ${Errors}
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
  Call ApplyMode

  ; $INSTDIR holds /D= when given. Otherwise an existing install is upgraded where it is.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $INSTDIR != ""
      ReadRegStr $0 SHCTX "${UNINST_KEY}" "DisplayVersion"
      StrCpy $ModeText "$ModeText$\r$\n$\r$\n${APP} $0 in $INSTDIR will be updated to this version."
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers = 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
    ${Else}
      ; FOLDERID_UserProgramFiles
      GetKnownFolderPath $INSTDIR {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
      ${If} $INSTDIR == ""
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs"
      ${EndIf}
      StrCpy $INSTDIR "$INSTDIR\${APP}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Every file is unpacked under a temporary name first; only when all are there and none of
; the installed ones is in use are they renamed into place. A rename that still fails puts
; back what was already replaced, so the folder holds one whole version or the other.
!macro SwapIn NAME
  ${If} $R9 == ""
    Delete "$INSTDIR\${NAME}.old"
    ${If} ${FileExists} "$INSTDIR\${NAME}"
      ; MOVEFILE_WRITE_THROUGH
      System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${NAME}", w "$INSTDIR\${NAME}.old", i 8)i.r0'
      ${If} $0 = 0
        StrCpy $R9 "${NAME}"
      ${EndIf}
    ${EndIf}
    ${If} $R9 == ""
      System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${NAME}.new", w "$INSTDIR\${NAME}", i 8)i.r0'
      ${If} $0 = 0
        StrCpy $R9 "${NAME}"
        System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${NAME}.old", w "$INSTDIR\${NAME}", i 8)i'
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

!macro SwapBack NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    ; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${NAME}.old", w "$INSTDIR\${NAME}", i 9)i'
  ${EndIf}
  Delete "$INSTDIR\${NAME}.new"
!macroend

Function CleanTemporaries
  !insertmacro _TessalyEach Delete "$INSTDIR\" ".new"
  !insertmacro _TessalyEach Delete "$INSTDIR\" ".old"
FunctionEnd


Section "Install"
  SetOutPath "$INSTDIR"

  Call ClosePrograms
  ${If} $R0 != ""
    DetailPrint "Setup stopped: $INSTDIR\$R0 is in use. Nothing was changed."
    SetErrorLevel ${ERROR_SHARING_VIOLATION}
    Abort
  ${EndIf}

  File "/oname=varnok.exe.new" "${PROGRAMS}/varnok.exe"
  File "/oname=pelmora.exe.new" "${PROGRAMS}/pelmora.exe"
  File "/oname=readme.txt.new" "${DOCS}/readme.txt"
  File "/oname=license.txt.new" "${DOCS}/license.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe.new"

  ; A program started between the wait and now would hold its file again.
  Call FindBusyProgram
  StrCpy $R9 ""
  ${If} $R0 == ""
    !insertmacro SwapIn "varnok.exe"
    !insertmacro SwapIn "pelmora.exe"
    !insertmacro SwapIn "readme.txt"
    !insertmacro SwapIn "license.txt"
    !insertmacro SwapIn "uninstall.exe"
  ${Else}
    StrCpy $R9 $R0
  ${EndIf}
  ${If} $R9 != ""
    !insertmacro _TessalyEach "!insertmacro SwapBack" "" ""
    Call CleanTemporaries
    DetailPrint "Setup stopped: $INSTDIR\$R9 could not be replaced. The installed files are unchanged."
    MessageBox MB_OK|MB_ICONSTOP "$R9 in $INSTDIR is in use and could not be replaced. The installed files were left as they were; close ${APP} and run the setup again." /SD IDOK
    SetErrorLevel ${ERROR_SHARING_VIOLATION}
    Abort
  ${EndIf}
  Call CleanTemporaries
  DetailPrint "Put the new files in place."

  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\varnok.exe" "" "$INSTDIR\varnok.exe" 0 \
    SW_SHOWNORMAL "" "Process manager and startup monitor"

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\varnok.exe,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ; Size of the files the setup placed, in KB as the Uninstall key wants it.
  StrCpy $1 0
  !insertmacro _TessalyEach "!insertmacro _AddSize" "$INSTDIR\" ""
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $1
SectionEnd


Function StartVarnok
  Exec '"$INSTDIR\varnok.exe"'
FunctionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

Function un.onInit
  ; The machine's entry names this folder only for a per-machine install.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    Call un.IsElevated
    ${If} $0 = 0
      MessageBox MB_OK|MB_ICONSTOP "${APP} was installed for all users; removing it needs administrator rights." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${EndIf}
  Call un.ApplyMode
  ${GetParameters} $R0
  StrCpy $Purge 0
  ClearErrors
  ${GetOptions} $R0 "/PURGE" $R1
  ${IfNot} ${Errors}
    StrCpy $Purge 1
  ${EndIf}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "Uninstall ${APP}" "Remove ${APP} from this computer."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 20u "${APP} will be removed from the following folder. Click Uninstall to start."
  Pop $0
  ${NSD_CreateText} 0 24u 100% 12u "$INSTDIR"
  Pop $0
  SendMessage $0 ${EM_SETREADONLY} 1 0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also &remove my settings and the saved list of startup programs"
  Pop $PurgeBox
  ${If} $Purge = 1
    ${NSD_Check} $PurgeBox
  ${EndIf}
  ${NSD_CreateLabel} 12u 62u -12u 30u "Leave this unticked to keep them for a later install of ${APP}."
  Pop $0
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
  nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
  ${NSD_GetState} $PurgeBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $Purge 1
  ${Else}
    StrCpy $Purge 0
  ${EndIf}
FunctionEnd

; $0 = 1 when the command line in $1 starts a program inside $INSTDIR.
Function un.PointsIntoInstallFolder
  StrCpy $0 0
  StrCpy $2 $1 1
  ${If} $2 == '"'
    StrCpy $1 $1 "" 1
  ${EndIf}
  StrLen $3 "$INSTDIR\"
  StrCpy $2 $1 $3
  ; StrCmp ignores case, as paths do.
  ${If} $2 == "$INSTDIR\"
    StrCpy $0 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.ClosePrograms
  ${If} $R0 != ""
    DetailPrint "Uninstall stopped: $INSTDIR\$R0 is in use. Nothing was removed."
    SetErrorLevel ${ERROR_SHARING_VIOLATION}
    Abort
  ${EndIf}

  !insertmacro _TessalyEach Delete "$INSTDIR\" ""
  !insertmacro _TessalyEach Delete "$INSTDIR\" ".new"
  !insertmacro _TessalyEach Delete "$INSTDIR\" ".old"
  Delete "$SMPROGRAMS\${APP}.lnk"

  ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $1 != ""
    Call un.PointsIntoInstallFolder
    ${If} $0 = 1
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"

  ${If} $Purge = 1
    ; Settings go to the machine's hive when the account may write it, else to the user's.
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "software\orvix"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "software\orvix"
    ; The saved startup list and the inventory live beside the programs or in the user's
    ; local application data.
    SetShellVarContext current
    !insertmacro _DeleteSavedData "$INSTDIR"
    !insertmacro _DeleteSavedData "$LOCALAPPDATA\${APP}"
    RMDir "$LOCALAPPDATA\${APP}"
    Call un.ApplyMode
  ${EndIf}
  ; Only when empty: what the programs saved there stays unless purged.
  RMDir "$INSTDIR"
SectionEnd
