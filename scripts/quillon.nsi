; Quillon's installer: the program and its language modules in Program
; Files, a shortcut straight in the Start menu's Programs, an entry in the
; installed-programs list (with its size and where to get help) and an
; uninstaller that removes what it installed. The user's settings, account
; names and log stay unless the user asks to remove them. Its pages are in
; English or Japanese, after the system's language.
;
; makensis -DVERSION=x.y.z.w -DSTAGE=<folder with the files> -DICON=<quillon.ico> -DOUTFILE=<setup.exe> quillon.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Quillon"
!define PUBLISHER "The Quillon developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
; The project's home and its help forum (the about box links to the forum).
!define HOME_URL "https://github.com/quillon-app/quillon"
!define HELP_URL "https://github.com/quillon-app/quillon/discussions"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsTheUser
!define MUI_FINISHPAGE_RUN_TEXT "$(RunQuillon)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the default; the system's language picks the other.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString RunQuillon ${LANG_ENGLISH} "Run ${PRODUCT}"
LangString RunQuillon ${LANG_JAPANESE} "${PRODUCT} を起動する"
LangString RemoveUserFiles ${LANG_ENGLISH} "Also remove your ${PRODUCT} settings, the account names you signed in with and the log file (it names those accounts)?"
LangString RemoveUserFiles ${LANG_JAPANESE} "${PRODUCT} の設定、サインインに使ったアカウント名、ログ ファイル (アカウント名が書かれています) も削除しますか?"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "See LICENSE.txt"

; The installer runs elevated, and a program it starts would too: with the
; administrator's settings, and with files dropped from Explorer refused.
; Explorer starts it as the signed-in user instead.
Function RunAsTheUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\quillon.exe"'
FunctionEnd

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Quillon"
  SetOutPath "$INSTDIR"
  File "${STAGE}\quillon.exe"
  File "${STAGE}\resource_en.dll"
  File "${STAGE}\resource_ja.dll"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File /r "${STAGE}\photo-service"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; One item needs no folder of its own; an older install made one.
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quillon.exe" "" "$INSTDIR\quillon.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillon.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_URL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "${HELP_URL}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The installed-programs list shows the size in KB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\quillon.exe"
  Delete "$INSTDIR\resource_en.dll"
  Delete "$INSTDIR\resource_ja.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  ; With the bytecode Python may have cached beside the stand-in's sources.
  RMDir /r "$INSTDIR\photo-service"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Settings, account names and the log (which holds account names) belong
  ; to each user: a silent uninstall keeps them, and so does Enter, since No
  ; is the default answer.
  SetShellVarContext current
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveUserFiles)" /SD IDNO IDNO keep
    Delete "$LOCALAPPDATA\quillon.ini"
    Delete "$LOCALAPPDATA\quillon.dat"
    Delete "$TEMP\quillon.log"
    Delete "$TEMP\quillon.log.old"
  keep:
SectionEnd
