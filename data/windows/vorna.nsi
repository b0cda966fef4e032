; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer. Built by scripts/windows.sh, which defines VERSION, STAGE (the
; folder of the portable zip), ICON, FILES and DIRS (lists of what STAGE holds, for the
; uninstaller), LICENSE (the project's licence, shown before installing), COPYRIGHT and
; OUTFILE.
; A 64-bit installer, as the programs are: it runs where they run, and Wine runs it
; without its 32-bit part.
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

Name "Vorna ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vorna"
InstallDirRegKey HKLM "Software\Vorna" "InstallDir"
RequestExecutionLevel admin

; The installer's own version resource, from the same version as the programs'.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1045 "ProductName" "Vorna"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "FileDescription" "Instalator programu Vorna"
VIAddVersionKey /LANG=1045 "LegalCopyright" "${COPYRIGHT}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorna"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorna.exe"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vorna.lnk" "$INSTDIR\vorna.exe" "" "$INSTDIR\vorna.exe" 0
  WriteRegStr HKLM "Software\Vorna" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorna"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vorna.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what was installed: the folder may have been chosen as one that
; holds other files too.
!macro RemoveFile file
  Delete "$INSTDIR\${file}"
!macroend
!macro RemoveDir dir
  RMDir "$INSTDIR\${dir}"
!macroend

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Vorna.lnk"
  !include "${FILES}"
  !include "${DIRS}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Vorna"
SectionEnd
