; The Korvex installer, built by scripts/package.sh, which passes
;   VERSION  the version text ("1.0")
;   STAGE    the folder with the files to install (the same as in the portable zip)
;   FILES    a list of File lines for them, UNFILES the matching lines that remove them
;   CONFIG   the configuration a fresh install starts from (without OUTPUT_FILE and
;            LANGUAGE_FILE)
;   OUTFILE  the installer to write
;
; The install is per user, in %LOCALAPPDATA%\Programs\Korvex by default, and needs no
; administrator rights. Korvex writes Korvex_Config.txt beside itself when it ends, so
; its folder must stay writable by the operator: in Program Files the settings of an
; ordinary user would be lost at every exit. That folder is hidden from the operator,
; so a fresh install saves the dumps into Documents\Korvex instead.
;
; The operator's files are never replaced: the configuration and the tables are put in
; place only where they are missing, and the uninstaller leaves the configuration and
; every table that differs from the one shipped.
;
; The installer asks for English or Italiano and a fresh install reads in that language
; (its LANGUAGE_FILE); an upgrade keeps the operator's choice with the configuration.
;
; /S installs silently, /LANG=it or /LANG=en chooses the language without asking, /D=FOLDER
; (the last argument, unquoted) chooses the folder. A folder that holds files of something
; else is refused (exit code 2 when silent).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex"
; Named after the program: a folder may hold another program's Uninstall.exe.
!define UNINSTALLER "Uninstall Korvex.exe"

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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_RESERVEFILE_LANGDLL

; The language file a fresh install names in its configuration.
LangString LANGUAGE_FILE ${LANG_ENGLISH} "Korvex_Language_Eng.txt"
LangString LANGUAGE_FILE ${LANG_ITALIAN} "Korvex_Language_Ita.txt"

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/LANG=" $1
    IfErrors ask
    StrCmp $1 "it" 0 +3
        StrCpy $LANGUAGE ${LANG_ITALIAN}
        Return
    StrCmp $1 "en" 0 ask
        StrCpy $LANGUAGE ${LANG_ENGLISH}
        Return
    ask:
    !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

; $R0 = 1 when $INSTDIR may take Korvex: a folder not made yet, an empty one, or one
; that Korvex has been in (its program, uninstaller or configuration is there).
Function CheckFolder
    StrCpy $R0 1
    IfFileExists "$INSTDIR\*.*" 0 done
    IfFileExists "$INSTDIR\Korvex.exe" done
    IfFileExists "$INSTDIR\${UNINSTALLER}" done
    IfFileExists "$INSTDIR\Korvex_Config.txt" done
    FindFirst $R1 $R2 "$INSTDIR\*.*"
    loop:
        StrCmp $R2 "" last
        StrCmp $R2 "." next
        StrCmp $R2 ".." next
        StrCpy $R0 0
        Goto last
    next:
        FindNext $R1 $R2
        Goto loop
    last:
    FindClose $R1
    done:
FunctionEnd

LangString FOREIGN_FOLDER_TEXT ${LANG_ENGLISH} "The folder $INSTDIR already holds files of another program. Korvex is not installed there: choose a new or empty folder, or the folder of an earlier Korvex."
LangString FOREIGN_FOLDER_TEXT ${LANG_ITALIAN} "La cartella $INSTDIR contiene già file di un altro programma. Korvex non viene installato lì: scegliere una cartella nuova o vuota, oppure la cartella di un Korvex precedente."

Function DirectoryLeave
    Call CheckFolder
    StrCmp $R0 1 +3
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FOREIGN_FOLDER_TEXT)"
        Abort
FunctionEnd

; $R0 in: a folder; out: the text that names it in the configuration, which is read in
; the ANSI code page: the folder itself when its name survives that code page, else its
; short name; empty when neither does. (FileWrite writes the ANSI form, FileRead reads
; it back: a character the code page lacks comes back as another one.)
Function ConfigFolderText
    StrCpy $R3 0
    again:
    FileOpen $1 "$PLUGINSDIR\ansi.txt" w
    FileWrite $1 "$R0"
    FileClose $1
    FileOpen $1 "$PLUGINSDIR\ansi.txt" r
    FileRead $1 $2
    FileClose $1
    StrCmpS $2 $R0 done
    StrCmp $R3 1 none
    StrCpy $R3 1
    GetFullPathName /SHORT $R0 $R0
    StrCmp $R0 "" none again
    none:
    StrCpy $R0 ""
    done:
FunctionEnd

Section "Korvex"
    SetShellVarContext current
    Call CheckFolder
    StrCmp $R0 1 folder_ok
        MessageBox MB_OK|MB_ICONSTOP "$(FOREIGN_FOLDER_TEXT)" /SD IDOK
        SetErrorLevel 2
        Quit
    folder_ok:
    InitPluginsDir
    SetOutPath "$INSTDIR"
    !include "${FILES}"

    ; A fresh install: the configuration, in the language chosen, with the dumps saved
    ; into Documents\Korvex. An existing one is the operator's and stays as it is.
    IfFileExists "$INSTDIR\Korvex_Config.txt" config_done
        File "/oname=Korvex_Config.txt" "${CONFIG}"
        FileOpen $0 "$INSTDIR\Korvex_Config.txt" a
        FileSeek $0 0 END
        FileWriteByte $0 1
        FileWrite $0 "LANGUAGE_FILE"
        FileWriteByte $0 2
        FileWrite $0 "$\r$\n$(LANGUAGE_FILE)"
        FileWriteByte $0 3
        FileWrite $0 "$\r$\n$\r$\n"
        FileClose $0
        CreateDirectory "$DOCUMENTS\Korvex"
        StrCpy $R0 "$DOCUMENTS\Korvex"
        Call ConfigFolderText
        StrCmp $R0 "" config_done
        FileOpen $0 "$INSTDIR\Korvex_Config.txt" a
        FileSeek $0 0 END
        FileWriteByte $0 1
        FileWrite $0 "OUTPUT_FILE"
        FileWriteByte $0 2
        FileWrite $0 "$\r$\n$R0\Out.txt"
        FileWriteByte $0 3
        FileWrite $0 "$\r$\n$\r$\n"
        FileClose $0
    config_done:

    ; The uninstaller of an earlier version, under its old name, if it was ours.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "UninstallString"
    StrCmp $0 '"$INSTDIR\Uninstall.exe"' 0 +2
        Delete "$INSTDIR\Uninstall.exe"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\Korvex.lnk" "$INSTDIR\Korvex.exe" "" "$INSTDIR\Korvex.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Korvex"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Velto"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korvex.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; $R0 = 1 when the two files (on the stack: first, then second pushed last) hold the
; same bytes.
Function un.SameBytes
    Exch $R1
    Exch
    Exch $R2
    StrCpy $R0 0
    ClearErrors
    FileOpen $R3 $R2 r
    IfErrors done
    FileOpen $R4 $R1 r
    IfErrors close_first
    loop:
        ClearErrors
        FileReadByte $R3 $R5
        IfErrors first_ended
        FileReadByte $R4 $R6
        IfErrors close_both
        StrCmp $R5 $R6 loop close_both
    first_ended:
        ClearErrors
        FileReadByte $R4 $R6
        IfErrors 0 close_both
        StrCpy $R0 1
    close_both:
        FileClose $R4
    close_first:
        FileClose $R3
    done:
    Pop $R2
    Pop $R1
FunctionEnd

; Removes a file the operator may have changed only when it is still the one shipped.
!macro UN_DELETE_IF_SHIPPED NAME SOURCE
    File "/oname=$PLUGINSDIR\shipped" "${SOURCE}"
    Push "$INSTDIR\${NAME}"
    Push "$PLUGINSDIR\shipped"
    Call un.SameBytes
    StrCmp $R0 1 0 +2
        Delete "$INSTDIR\${NAME}"
!macroend

; Removes what was installed and is still as installed. The operator's files stay, and
; with them the folder: the configuration, tables the operator changed, saved dumps,
; the record of the last run.
; The uninstaller itself goes last, so its absence means the uninstall is complete.
Section "Uninstall"
    SetShellVarContext current
    InitPluginsDir
    !include "${UNFILES}"
    Delete "$SMPROGRAMS\Korvex.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
SectionEnd
