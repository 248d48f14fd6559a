; The Sheetweaver installer for Windows (NSIS, made on Linux by makensis). A per-user install
; that needs no administrator rights: the programs go to %LOCALAPPDATA%\Programs\Sheetweaver,
; with a Start-menu entry and an uninstaller registered for the user. Chinese and English.
; A 64-bit installer, as the programs are (and as a 64-bit Wine runs it).
; makensis -DVERSION=x.y.z -DSTAGE=<folder with the programs> -DOUTFILE=<setup.exe>
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

Name "Sheetweaver ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Sheetweaver"
InstallDirRegKey HKCU "Software\Sheetweaver" "InstallDir"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sheetweaver"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString ShortcutName ${LANG_SIMPCHINESE} "Sheetweaver Word转Excel"
LangString ShortcutName ${LANG_ENGLISH} "Sheetweaver Word to Excel"

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Sheetweaver"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/Sheetweaver.exe"
  File "${STAGE}/sheetweaver-convert.exe"
  File "${STAGE}/README.txt"
  ; The settings file beside the program: an installed copy remembers the user's folders.
  IfFileExists "$INSTDIR\Sheetweaver.qvr" +3
  FileOpen $0 "$INSTDIR\Sheetweaver.qvr" w
  FileClose $0
  CreateDirectory "$SMPROGRAMS\Sheetweaver"
  CreateShortcut "$SMPROGRAMS\Sheetweaver\$(ShortcutName).lnk" "$INSTDIR\Sheetweaver.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "Software\Sheetweaver" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Sheetweaver"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sheetweaver.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Sheetweaver\$(ShortcutName).lnk"
  RMDir "$SMPROGRAMS\Sheetweaver"
  Delete "$INSTDIR\Sheetweaver.exe"
  Delete "$INSTDIR\Sheetweaver.exe_old"
  Delete "$INSTDIR\sheetweaver-convert.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Sheetweaver.qvr"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Sheetweaver"
SectionEnd
