; The Brindlecot installer for Windows: a per-user install that needs no administrator rights.
; Built by the brindlecot_installer target, which passes VERSION (and as four numbers,
; VERSION4), STAGE (the installed tree:
; brindlecot.exe, README.txt, LICENSE.txt), OUTFILE and, when there is one, ICON.
;
; Brindlecot keeps its list in brcot.dat in the directory it starts in. The program folder
; could be replaced on every update, so the shortcuts start it in a folder of the user's own,
; %APPDATA%\Brindlecot, and the uninstaller leaves that folder's brcot.dat where it is.

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef VERSION4
  !error "VERSION4 is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not defined"
!endif

; A 64-bit installer for the 64-bit program: it runs where the program can.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Brindlecot"
!define PUBLISHER "The Brindlecot developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlecot"
!define LIST_DIR "$APPDATA\Brindlecot"
!define SHORTCUT_TEXT "Keep favourite programs and web addresses in the tray"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Brindlecot"
ShowInstDetails show
ShowUninstDetails show
!ifdef ICON
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "(C) 2026 ${PUBLISHER}, MIT licence"

LicenseText "Brindlecot is free software under the MIT licence:" "Next >"
LicenseData "${STAGE}/LICENSE.txt"
ComponentText "Brindlecot is installed for you alone; no administrator rights are needed." \
    "" "Choose what to install:"
DirText "Brindlecot will be installed in this folder. Your list, brcot.dat, is kept apart \
    from the program, in:$\r$\n$APPDATA\Brindlecot"

!include "FileFunc.nsh"
!include "Sections.nsh"

Page license
Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Brindlecot and its Start menu shortcut" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/brindlecot.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; A shortcut's working directory is the output path current when it is made.
  CreateDirectory "${LIST_DIR}"
  SetOutPath "${LIST_DIR}"
  CreateShortcut "$SMPROGRAMS\Brindlecot.lnk" "$INSTDIR\brindlecot.exe" "" \
      "$INSTDIR\brindlecot.exe" 0 SW_SHOWNORMAL "" "${SHORTCUT_TEXT}"

  ; The entry that lists Brindlecot among the installed apps, for this user only.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brindlecot.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Start Brindlecot when I sign in" SecAutostart
  SetShellVarContext current
  CreateDirectory "${LIST_DIR}"
  SetOutPath "${LIST_DIR}"
  CreateShortcut "$SMSTARTUP\Brindlecot.lnk" "$INSTDIR\brindlecot.exe" "" \
      "$INSTDIR\brindlecot.exe" 0 SW_SHOWNORMAL "" "${SHORTCUT_TEXT}"
SectionEnd

; A silent install (/S) takes the default choices; /STARTATSIGNIN adds the sign-in shortcut,
; for those who install for others from a script.
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTATSIGNIN" $R1
  IfErrors done
    !insertmacro SelectSection ${SecAutostart}
  done:
FunctionEnd

; Removes exactly what the installer put in place. The folders go only when empty, so the
; user's brcot.dat (and anything else of theirs) stays, and so does the folder that holds it.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Brindlecot.lnk"
  Delete "$SMSTARTUP\Brindlecot.lnk"
  Delete "$INSTDIR\brindlecot.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "${LIST_DIR}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
