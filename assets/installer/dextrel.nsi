; The Dextrel installer. Built by scripts/package.sh, which passes the files to ship:
;   makensis -DVERSION=1.5.0.12 -DPROGRAM=Dextrel.exe -DHELP=help.chm -DNEWS=offlinenews.html
;            -DDEMO=VKRdemo.demo -DICON=app.ico -DOUTFILE=setup.exe dextrel.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Dextrel"
!define MAKER "Tamberlin"
; The program opens its settings in the 32-bit view of HKEY_LOCAL_MACHINE, where the
; game's installer and earlier copies of the program keep theirs.
!define SETTINGS_KEY "SOFTWARE\${MAKER}\${PRODUCT}"
!define MAKER_KEY "SOFTWARE\${MAKER}"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define STARTMENU "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${MAKER}\${PRODUCT}"
BrandingText "${MAKER} ${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\help.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the help"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The program and its settings live where only administrators may write.
!macro RequireAdmin WHAT
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "Administrator rights are needed to ${WHAT} ${PRODUCT}." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdmin "install"
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs a 64-bit version of Windows." /SD IDOK
    Abort
  ${EndIf}
  ; An earlier installation is updated where it is.
  SetRegView 64
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; Writes a settings value only when it is missing, so an update keeps what the user chose.
!macro SettingDefault NAME VALUE
  ClearErrors
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "${NAME}"
  ${If} ${Errors}
    WriteRegStr HKLM "${SETTINGS_KEY}" "${NAME}" "${VALUE}"
  ${EndIf}
!macroend

Section "Dextrel" SecMain
  SectionIn RO
  SetShellVarContext all
  SetOverwrite on

  SetOutPath "$INSTDIR"
  File "/oname=Dextrel.exe" "${PROGRAM}"
  File "/oname=DextrelFrames32.dll" "${FRAMES32}"
  File "/oname=DextrelFrames64.dll" "${FRAMES64}"
  File "/oname=help.chm" "${HELP}"
  File "/oname=offlinenews.html" "${NEWS}"
  SetOutPath "$INSTDIR\Demos"
  File "/oname=VKRdemo.demo" "${DEMO}"
  ; The default results folder; the program does not create it itself.
  CreateDirectory "$INSTDIR\Benchmark"
  SetOutPath "$INSTDIR"

  ; The program expects its key to exist; "News" = "0" brings the news at the first start.
  SetRegView 32
  !insertmacro SettingDefault "News" "0"
  SetRegView 64

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dextrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\Dextrel.lnk" "$INSTDIR\Dextrel.exe"
  CreateShortcut "${STARTMENU}\Dextrel help.lnk" "$INSTDIR\help.chm"
  CreateShortcut "${STARTMENU}\Uninstall Dextrel.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

Function un.onInit
  !insertmacro RequireAdmin "uninstall"
FunctionEnd

Section "Uninstall"
  SetShellVarContext all

  Delete "$INSTDIR\Dextrel.exe"
  Delete "$INSTDIR\DextrelFrames32.dll"
  Delete "$INSTDIR\DextrelFrames64.dll"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\offlinenews.html"
  Delete "$INSTDIR\Demos\VKRdemo.demo"
  ; Left behind by the program itself: the diagnostic report and unfinished update downloads.
  Delete "$INSTDIR\dxinfo.txt"
  Delete "$INSTDIR\*.uTMP"
  Delete "$INSTDIR\Uninstall.exe"
  ; Without /r: a folder that still holds the user's reports or demos stays.
  RMDir "$INSTDIR\Demos"
  RMDir "$INSTDIR\Benchmark"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\${MAKER}"

  Delete "${STARTMENU}\Dextrel.lnk"
  Delete "${STARTMENU}\Dextrel help.lnk"
  Delete "${STARTMENU}\Uninstall Dextrel.lnk"
  RMDir "${STARTMENU}"

  SetRegView 32
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
