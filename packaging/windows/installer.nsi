; The per-user installer: no administrator rights, a Start menu entry and an
; uninstaller, all under the user's own profile and registry hive.
; makensis -DVERSION=1.0.0 -DFILES=<file list> -DOUTFILE=<setup.exe> installer.nsi
; The file list (cmake/WindowsPackStage.cmake writes it from the staged
; folder) names every file both to install and to uninstall.
Unicode true
!include "MUI2.nsh"
!include "${FILES}"

!define APPNAME "VORNIXサポートソフト"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vornix-support"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\vornix-support"
InstallDirRegKey HKCU "Software\vornix-support" "InstallDir"
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "${APPNAME} セットアップ"
VIAddVersionKey /LANG=1041 "LegalCopyright" "VORNIX support volunteers"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Install"
    SetShellVarContext current
    !insertmacro VX_INSTALL_FILES
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\vornix-support.exe" "" "$INSTDIR\vornix-support.exe" 0
    WriteRegStr HKCU "Software\vornix-support" "InstallDir" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APPNAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "VORNIX support volunteers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vornix-support.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${APPNAME}.lnk"
    ; Only what the installer put there, by name: the folder may hold the
    ; user's own account files, or the screen reader's QRCOMFD.DLL placed
    ; beside the program; they stay, and so does the folder then.
    !insertmacro VX_UNINSTALL_FILES
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "Software\vornix-support"
SectionEnd
