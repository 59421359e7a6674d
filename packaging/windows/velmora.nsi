; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of Velmora (makensis, NSIS 3), made by scripts/package-windows.
;
; scripts/package-windows defines:
;   VERSION    the project's version, e.g. 1.0.0
;   DIST       the runnable folder the installer carries (velmora.exe, Qt, AddIn, ...)
;   STAGE      a folder with velmora.ico, LICENSE.txt and uninstall-files.nsh (the Delete and
;              RMDir lines for every file and folder of DIST, deepest first)
;   OUTFILE    the installer to write
;   SIZE_KB    the installed size in KiB, for Add/Remove Programs
;
; Silent mode: "setup.exe /S [/D=folder]" installs, "uninstall.exe /S" uninstalls and keeps the
; user's settings and files; "uninstall.exe /S /REMOVESETTINGS" removes those as well.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Velmora"
!define PUBLISHER "The Velmora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; where QSettings keeps the program's settings (organization and application both Velmora)
!define SETTINGS_KEY "Software\Velmora\Velmora"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 ${PUBLISHER}; GPL-3.0-or-later"

!define MUI_ICON "${STAGE}\velmora.ico"
!define MUI_UNICON "${STAGE}\velmora.ico"
!define MUI_ABORTWARNING

; The GPL asks for no consent to use the program: the page informs and goes on with Next.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Velmora is free software: you may use it for any purpose. The licence says what you may do when you pass it on or change it."
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetRegView 64
    ; the Start-menu entry is for every user of the machine
    SetShellVarContext all
FunctionEnd

Section "Velmora" SecProgram
    SectionIn RO
    ; Over an earlier installation: its own uninstaller first takes away its files (of which
    ; this version may no longer have some), in place and keeping the user's settings.
    ${If} ${FileExists} "$INSTDIR\uninstall.exe"
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    ${EndIf}
    SetOutPath "$INSTDIR"
    File /r "${DIST}\*"
    ; Its presence tells the program that it runs installed (base/ProgramFolder.h): it then
    ; writes its files to %LOCALAPPDATA%\Velmora instead of beside itself.
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\velmora.exe" "" \
        "$INSTDIR\velmora.exe" 0 SW_SHOWNORMAL "" "Remote control for Yamaha AV receivers"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://velmora.org"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

; The user's settings and %LOCALAPPDATA%\Velmora (the traffic log, the user's own add-ins) stay
; unless the user asks: a question, or /REMOVESETTINGS in silent mode.
Function un.RemoveSettingsWanted
    ${un.GetParameters} $R0
    ClearErrors
    ${un.GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        Push 1
        Return
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your Velmora settings?" \
        /SD IDNO IDYES yes
    Push 0
    Return
    yes:
    Push 1
FunctionEnd

Section "Uninstall"
    Call un.RemoveSettingsWanted
    Pop $0

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; the files the installer put there, and no others
    !include "${STAGE}\uninstall-files.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ${If} $0 == 1
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Velmora"
        SetShellVarContext current
        RMDir /r "$LOCALAPPDATA\Velmora"
        SetShellVarContext all
    ${EndIf}
SectionEnd
