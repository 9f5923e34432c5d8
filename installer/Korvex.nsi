; The Korvex installer, built by scripts/package.sh, which passes
;   VERSION  the version text ("1.0")
;   STAGE    the folder with the files to install (the same as in the portable zip)
;   FILES    a list of File lines for them, UNFILES the matching Delete lines
;   OUTFILE  the installer to write
;
; The install is per user, in %LOCALAPPDATA%\Programs\Korvex by default, and needs no
; administrator rights. Korvex writes Korvex_Config.txt beside itself when it ends, so
; its folder must stay writable by the operator: in Program Files the settings of an
; ordinary user would be lost at every exit.
;
; /S installs silently, /D=FOLDER (the last argument, unquoted) chooses the folder.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex"

Name "Korvex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Korvex"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Korvex ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Korvex"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Korvex ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Velto"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Velto"

!define MUI_ICON "..\res\Korvex.ico"
!define MUI_UNICON "..\res\Korvex.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Korvex.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Korvex"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Korvex.lnk" "$INSTDIR\Korvex.exe" "" "$INSTDIR\Korvex.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Korvex"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Velto"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korvex.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what was installed and the settings the program wrote; the operator's own
; files in the folder (saved dumps such as Out.txt, the record of the last run) stay,
; and with them the folder.
; The uninstaller itself goes last, so its absence means the uninstall is complete.
Section "Uninstall"
    SetShellVarContext current
    !include "${UNFILES}"
    Delete "$SMPROGRAMS\Korvex.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
