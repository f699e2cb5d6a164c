; The Windows installer, quaymaster-setup.exe (NSIS 3, 64-bit).
;
; Built by scripts/build-windows.sh from a staging folder:
;   makensis -DSTAGE=<folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> [-DHAVE_APP] [-DHAVE_HELP] [-DAPPICON=<.ico>] quaymaster.nsi
; STAGE holds quaymaster-cli.exe, quaymaster.exe (HAVE_APP), docs\ and
; docs\qmhelp.htb (HAVE_HELP).
;
; Installs for all users under Program Files, writes quaymaster.ini into
; the configuration folder (the all-users application-data folder, then
; Norvane\KORO\QMAN) unless one is there already, adds Start-menu entries
; and an uninstaller. The uninstaller leaves the configuration in place
; unless asked: it asks when run with a window, and removes it in silent
; mode (/S) only when given /REMOVECONFIG.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"

!ifndef VERSION
  !define VERSION "0.0.0"
!endif
!define PRODUCT "Quaymaster"
!define FULLNAME "Brightway Quaymaster"
!define VENDOR "Norvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quaymaster"
!define CONFIG_SUBDIR "Norvane\KORO\QMAN"

Name "${FULLNAME}"
!ifdef APPICON
  Icon "${APPICON}"
  UninstallIcon "${APPICON}"
!endif
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${VENDOR}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${FULLNAME}"
VIAddVersionKey "CompanyName" "${VENDOR}"
VIAddVersionKey "FileDescription" "${FULLNAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${VENDOR}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Quaymaster" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\quaymaster-cli.exe"
!ifdef HAVE_APP
  File "${STAGE}\quaymaster.exe"
!endif
  SetOutPath "$INSTDIR\docs"
  File /r "${STAGE}\docs\*.*"

  ; The configuration file: the programs never create it. An existing one
  ; (a reinstall, an update) keeps the user's settings and printer groups.
  CreateDirectory "$APPDATA\${CONFIG_SUBDIR}"
  ${IfNot} ${FileExists} "$APPDATA\${CONFIG_SUBDIR}\quaymaster.ini"
    FileOpen $0 "$APPDATA\${CONFIG_SUBDIR}\quaymaster.ini" w
    FileWrite $0 "qmRootDir=$INSTDIR$\r$\n"
    FileWrite $0 "useBuiltin=1$\r$\n"
    FileWrite $0 "includeLUS=0$\r$\n"
    FileWrite $0 "statusPage=1$\r$\n"
    FileWrite $0 "isMaximized=0$\r$\n"
    FileWrite $0 "width=620$\r$\n"
    FileWrite $0 "height=732$\r$\n"
    FileWrite $0 "[printer-groups]$\r$\n"
    FileClose $0
    DetailPrint "Configuration written: $APPDATA\${CONFIG_SUBDIR}\quaymaster.ini"
  ${Else}
    DetailPrint "Configuration kept: $APPDATA\${CONFIG_SUBDIR}\quaymaster.ini"
  ${EndIf}
  ; Every user saves window settings and printer groups into that file, and
  ; ProgramData lets only its creator change it: the Users group
  ; (S-1-5-32-545) may modify the folder and what is in it.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$APPDATA\${CONFIG_SUBDIR}" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'
  Pop $0

  CreateDirectory "$SMPROGRAMS\${FULLNAME}"
!ifdef HAVE_APP
  CreateShortCut "$SMPROGRAMS\${FULLNAME}\${FULLNAME}.lnk" "$INSTDIR\quaymaster.exe"
!endif
  CreateShortCut "$SMPROGRAMS\${FULLNAME}\Quaymaster Command Line.lnk" "$SYSDIR\cmd.exe" \
    '/K "cd /d "$INSTDIR" && quaymaster-cli.exe --help"'
  CreateShortCut "$SMPROGRAMS\${FULLNAME}\Documentation.lnk" "$INSTDIR\docs"
  CreateShortCut "$SMPROGRAMS\${FULLNAME}\Uninstall ${FULLNAME}.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${FULLNAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\quaymaster-cli.exe"
  Delete "$INSTDIR\quaymaster.exe"
  RMDir /r "$INSTDIR\docs"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\${VENDOR}"
  RMDir /r "$SMPROGRAMS\${FULLNAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The configuration stays unless the user asks for its removal.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVECONFIG" $1
  ${IfNot} ${Errors}
    StrCpy $2 "remove"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove the configuration (settings and printer groups) in $APPDATA\${CONFIG_SUBDIR}?" \
      IDNO keep
    StrCpy $2 "remove"
  ${EndIf}
  keep:
  ${If} $2 == "remove"
    Delete "$APPDATA\${CONFIG_SUBDIR}\quaymaster.ini"
    RMDir "$APPDATA\${CONFIG_SUBDIR}"
    RMDir "$APPDATA\Norvane\KORO"
    RMDir "$APPDATA\Norvane"
    DetailPrint "Configuration removed"
  ${Else}
    DetailPrint "Configuration kept: $APPDATA\${CONFIG_SUBDIR}\quaymaster.ini"
  ${EndIf}
SectionEnd
