; The Windows installer of OSTREL Streaming Assistant, made by make-installer
; (`make installer`) from the shipping folder. makensis gets from it:
;   VERSION    the program's version text (four numbers)
;   SHIPPING   the shipping folder
;   ICON       the program's icon
;   OUTFILE    the installer to write
;   UNINSTALL_LIST  a script of the uninstaller's deletions (the shipping folder's
;              files and folders, deepest first)
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
CRCCheck force
ManifestDPIAware true
RequestExecutionLevel admin
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "OSTREL Streaming Assistant"
!define PUBLISHER "OSTREL"
!define PROGRAM_EXE "OSTREL_Streaming_Assistant.exe"
!define PROGRAM_MUTEX "OSTREL_Streaming_Assistant"
!define UNINSTALL_EXE "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OSTREL_Streaming_Assistant"
; How long a running program gets to close before it is ended, in half seconds.
!define CLOSE_WAIT_STEPS 30
!define SYNCHRONIZE 0x00100000
!define TH32CS_SNAPPROCESS 2
; PROCESSENTRY32W on 64-bit Windows: its size and where the exe's name begins.
!define PROCESSENTRY_SIZE 568
!define PROCESSENTRY_NAME_OFFSET 44

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems in none of the three.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "Japanese"
!include "${__FILEDIR__}\strings.nsh"

; The program runs while its instance mutex exists or a process runs its exe.
; Sets $R9 to 1 when it runs, 0 otherwise.
!macro PROGRAM_RUNS_FUNCTION un
Function ${un}ProgramRuns
  Push $R8
  Push $R7
  Push $R6
  Push $R5
  StrCpy $R9 0
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${PROGRAM_MUTEX}") p .R8'
  ${If} $R8 P<> 0
    System::Call 'kernel32::CloseHandle(p R8)'
    StrCpy $R9 1
  ${Else}
    System::Call 'kernel32::CreateToolhelp32Snapshot(i ${TH32CS_SNAPPROCESS}, i 0) p .R8'
    ${If} $R8 P<> -1
      System::Alloc ${PROCESSENTRY_SIZE}
      Pop $R7
      System::Call '*$R7(i ${PROCESSENTRY_SIZE})'
      System::Call 'kernel32::Process32FirstW(p R8, p R7) i .R5'
      ${DoWhile} $R5 <> 0
        System::Call '*$R7(&m${PROCESSENTRY_NAME_OFFSET}, &w260 .R6)'
        ${If} $R6 == "${PROGRAM_EXE}"
          StrCpy $R9 1
          ${Break}
        ${EndIf}
        System::Call 'kernel32::Process32NextW(p R8, p R7) i .R5'
      ${Loop}
      System::Free $R7
      System::Call 'kernel32::CloseHandle(p R8)'
    ${EndIf}
  ${EndIf}
  Pop $R5
  Pop $R6
  Pop $R7
  Pop $R8
FunctionEnd

; Waits up to STEPS half seconds for the program to end; $R9 as ProgramRuns.
Function ${un}WaitProgramGone
  Exch $R4
  ${Do}
    Call ${un}ProgramRuns
    ${If} $R9 == 0
    ${OrIf} $R4 <= 0
      ${Break}
    ${EndIf}
    Sleep 500
    IntOp $R4 $R4 - 1
  ${Loop}
  Pop $R4
FunctionEnd

; A running program is asked to close (its windows get WM_CLOSE, as when the
; user closes them) and given a bounded time for its exit sequence; one that
; does not close is ended with a message. Files are never written while it runs.
Function ${un}CloseProgram
  Call ${un}ProgramRuns
  ${If} $R9 == 0
    Return
  ${EndIf}
  DetailPrint "$(ClosingProgram)"
  nsExec::Exec '"$SYSDIR\taskkill.exe" /IM ${PROGRAM_EXE}'
  Pop $0
  Push ${CLOSE_WAIT_STEPS}
  Call ${un}WaitProgramGone
  ${If} $R9 == 0
    Return
  ${EndIf}
  DetailPrint "$(EndingProgram)"
  MessageBox MB_OK|MB_ICONEXCLAMATION "$(EndingProgram)" /SD IDOK
  nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM ${PROGRAM_EXE}'
  Pop $0
  Push 20
  Call ${un}WaitProgramGone
  ${If} $R9 == 1
    DetailPrint "$(ProgramStillRuns)"
    MessageBox MB_OK|MB_ICONSTOP "$(ProgramStillRuns)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro PROGRAM_RUNS_FUNCTION ""
!insertmacro PROGRAM_RUNS_FUNCTION "un."

; The shortcuts carry the name of the installer's language; the names are kept
; in the uninstall entry so that an uninstall or an upgrade in another language
; removes them.
!macro REMOVE_SHORTCUTS
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
  ${If} $0 != ""
    Delete "$DESKTOP\$0.lnk"
    Delete "$SMPROGRAMS\$0\$0.lnk"
    Delete "$SMPROGRAMS\$0\$(UninstallShortcut).lnk"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallShortcutName"
    ${If} $1 != ""
      Delete "$SMPROGRAMS\$0\$1.lnk"
    ${EndIf}
    RMDir "$SMPROGRAMS\$0"
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\${PROGRAM_EXE}"'
FunctionEnd

Section "Install"
  Call CloseProgram
  ; A file the system still holds open is never overwritten: stop here instead.
  ${If} ${FileExists} "$INSTDIR\${PROGRAM_EXE}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${PROGRAM_EXE}" a
    ${If} ${Errors}
      DetailPrint "$(FilesInUse)"
      MessageBox MB_OK|MB_ICONSTOP "$(FilesInUse)" /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}

  ; Only the program's own files are written: the user's settings, logs and
  ; downloads live in the per-user folder, which the installer never touches.
  SetOutPath "$INSTDIR"
  File /r "${SHIPPING}/*"
  WriteUninstaller "$INSTDIR\${UNINSTALL_EXE}"

  !insertmacro REMOVE_SHORTCUTS
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\$(ShortcutName)"
  CreateShortCut "$SMPROGRAMS\$(ShortcutName)\$(ShortcutName).lnk" "$INSTDIR\${PROGRAM_EXE}" "" "$INSTDIR\${PROGRAM_EXE}" 0
  CreateShortCut "$SMPROGRAMS\$(ShortcutName)\$(UninstallShortcut).lnk" "$INSTDIR\${UNINSTALL_EXE}"
  CreateShortCut "$DESKTOP\$(ShortcutName).lnk" "$INSTDIR\${PROGRAM_EXE}" "" "$INSTDIR\${PROGRAM_EXE}" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(DisplayName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALL_EXE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALL_EXE}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ShortcutName" "$(ShortcutName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallShortcutName" "$(UninstallShortcut)"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Call un.CloseProgram
  ; Only what the installer put there and what the program writes beside
  ; itself: a folder the user chose may hold other files, which stay.
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\session.json"
  Delete "$INSTDIR\compare.json"
  Delete "$INSTDIR\${UNINSTALL_EXE}"
  RMDir "$INSTDIR"
  !insertmacro REMOVE_SHORTCUTS
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
