; Installer of Zentori网页游戏盒子 (NSIS 3, Unicode). Built by scripts/package.sh:
;   makensis -INPUTCHARSET UTF8 -DBIN_DIR=<folder with zentori.exe and skin> \
;            -DOUT_FILE=<setup.exe> -DRESOURCES=<resources folder> packaging/zentori.nsi
; Installs for all users into Program Files, adds a Start-menu folder with the program and the
; uninstaller, and registers the uninstaller with Windows. Silent: setup.exe /S [/D=folder].
; The program is 64-bit, so is its installer (which also lets it run under a 64-bit-only Wine).
Target amd64-unicode

!ifndef BIN_DIR | OUT_FILE | RESOURCES
  !error "define BIN_DIR, OUT_FILE and RESOURCES"
!endif

!define PRODUCT "Zentori网页游戏盒子"
!define VERSION "1.0"
!define PUBLISHER "Zentori"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentori"
; The program's own browser emulation entry (written at each start), removed with the program.
!define EMULATION_KEY "Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
Icon "${RESOURCES}/zentori.ico"
UninstallIcon "${RESOURCES}/zentori.ico"
InstallDir "$PROGRAMFILES64\Zentori"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.0"
VIFileVersion "1.0.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; All users: the Start-menu folder is the common one. The 64-bit registry view is the native one
; of this installer already; said explicitly because the uninstall entry must land there.
Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/zentori.exe"
  SetOutPath "$INSTDIR\skin"
  File /r "${BIN_DIR}/skin/*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\zentori.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zentori.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\zentori.exe"
  ; The skin folder is the program's own; the user's custom pictures live elsewhere.
  RMDir /r "$INSTDIR\skin"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${EMULATION_KEY}" "zentori.exe"
SectionEnd
