; The Windows setup of Pelora, made by scripts/windows.sh with Debian's NSIS
; from the same files as the zip:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.30 -DLICENSE=<licence text> \
;            -DLISTS=<folder of files.nsh and unfiles.nsh, which name the zip's files>
;            -DICON=<pelora.ico> -DWELCOME=<164x314 bitmap> -DOUTFILE=<setup.exe> pelora.nsi
; It installs per user (no administrator rights, %LOCALAPPDATA%\Programs\Pelora)
; unless all users are chosen with the setup run as administrator (Program
; Files). An installed Pelora is upgraded in its place and mode. The data is
; never in the program's folder (Pelora.installed tells Pelora so) and is never
; removed. Command line: /S silent, /AllUsers, /CurrentUser, /DESKTOP (a
; shortcut on the desktop too), /D=<folder> (last, without quotes).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define DISPLAYNAME "Pelora 給与明細"
!define PUBLISHER "VORMAK"
!define HOMEPAGE "https://www.vormak.example/"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelora"
; Where Pelora remembers the data folder the user moved the data to (QSettings).
!define SETTINGS_KEY "Software\VORMAK\Pelora\data"
!define SHORTCUT "Pelora 給与明細.lnk"

Name "${DISPLAYNAME}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${DISPLAYNAME}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${DISPLAYNAME} ${VERSION} のセットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"

Var Mode        ; "user" or "all"
Var Upgrade     ; 1: Pelora is installed already, and is replaced in its place
Var Admin       ; "Admin" when the setup runs with an administrator's rights
Var DirGiven    ; 1: the folder came with /D
Var ModeUser
Var ModeAll
Var DataNote    ; where the data remains, said by the uninstaller

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WELCOME}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "${DISPLAYNAME} ${VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\n\
既にインストールされているときは、同じ場所で新しい版に置き換えます。従業員や登録したシートなどのデータは、\
インストール先とは別の、利用者ごとのフォルダーにあり、そのまま残ります。$\r$\n$\r$\n\
Pelora が起動しているときは、閉じてから続けてください。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
Page custom ModePage ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pelora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Pelora を起動する"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Pelora を削除しました"
!define MUI_FINISHPAGE_TEXT "$DataNote"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Japanese"

; Files under a running Pelora are never replaced or removed: the system keeps a
; running program's file from being opened for writing, which tells it is running.
!macro WAIT_FOR_PELORA_CLOSED PREFIX
Function ${PREFIX}WaitForPeloraClosed
  retry:
  ${IfNot} ${FileExists} "$INSTDIR\Pelora.exe"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $0 "$INSTDIR\Pelora.exe" a
  ${IfNot} ${Errors}
    FileClose $0
    Return
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Pelora が起動しています。Pelora を閉じてから「再試行」を押してください。$\r$\n\
(起動中のプログラムのファイルは置き換えません。)" /SD IDCANCEL IDRETRY retry
  DetailPrint "Pelora が起動しているため、中止しました。"
  Abort
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PELORA_CLOSED ""
!insertmacro WAIT_FOR_PELORA_CLOSED "un."

Section "Pelora（必須）" SecProgram
  SectionIn RO
  Call WaitForPeloraClosed
  ${If} $Upgrade == 1
    ; What the earlier version installed goes first, so that none of its files
    ; stays beside the new ones. A data folder beside the program (of a zip once
    ; unpacked here) is not the program's and stays.
    RMDir /r "$INSTDIR\plugins"
    RMDir /r "$INSTDIR\translations"
    RMDir /r "$INSTDIR\fonts"
    RMDir /r "$INSTDIR\licenses"
    Delete "$INSTDIR\*.dll"
  ${EndIf}
  !include "${LISTS}\files.nsh"
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\Pelora.installed" w
  FileWrite $0 "Pelora ${VERSION}: installed by its setup ($Mode). The data is in the user's folder.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\Pelora.exe" "" "$INSTDIR\Pelora.exe" 0 SW_SHOWNORMAL "" \
    "パート・アルバイトの時給計算と給与明細"

  ; The entry of 「アプリと機能」, for this user or for the computer (SHCTX follows the mode).
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${DISPLAYNAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pelora.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "デスクトップのショートカット" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\Pelora.exe" "" "$INSTDIR\Pelora.exe" 0 SW_SHOWNORMAL "" \
    "パート・アルバイトの時給計算と給与明細"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Pelora の本体と、スタートメニューの「${DISPLAYNAME}」。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "デスクトップにも「${DISPLAYNAME}」のショートカットを作ります。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The mode's folders: the shell's (shortcuts, registry) and the default install folder.
Function ApplyMode
  ${If} $Mode == all
    SetShellVarContext all
    ${If} $Upgrade != 1
    ${AndIf} $DirGiven != 1
      StrCpy $INSTDIR "$PROGRAMFILES64\Pelora"
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${If} $Upgrade != 1
    ${AndIf} $DirGiven != 1
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Pelora"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $DirGiven 0
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}
  UserInfo::GetAccountType
  Pop $Admin
  StrCpy $Mode user
  StrCpy $Upgrade 0
  ; An installed Pelora is replaced in its place and mode.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $Upgrade 1
    StrCpy $INSTDIR $0
  ${Else}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $Upgrade 1
      StrCpy $INSTDIR $0
      StrCpy $Mode all
    ${EndIf}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
  ${AndIf} $Upgrade != 1
    StrCpy $Mode all
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
  ${AndIf} $Upgrade != 1
    StrCpy $Mode user
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DESKTOP" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecDesktop} ${SF_SELECTED}
  ${EndIf}
  ${If} $Mode == all
  ${AndIf} $Admin != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "すべてのユーザー用のインストールと更新には、管理者の権限が要ります。$\r$\n\
セットアップを右クリックし、「管理者として実行」で起動してください。" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${If} $Upgrade == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "インストールの種類" "Pelora を使う人を選んでください。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 20u "このユーザーだけ（おすすめ。管理者の権限は要りません）"
  Pop $ModeUser
  ${NSD_CreateRadioButton} 0 24u 100% 20u "このコンピューターのすべてのユーザー（Program Files）"
  Pop $ModeAll
  ${NSD_CreateLabel} 12u 48u 95% 30u "すべてのユーザー用には、セットアップを右クリックし「管理者として実行」で起動してください。"
  Pop $0
  ${NSD_CreateLabel} 0 86u 100% 40u "どちらでも、データは利用者ごとのフォルダー（%APPDATA%\Pelora\data）に置き、\
Pelora を更新・削除しても残ります。"
  Pop $0
  ${If} $Admin != "Admin"
    EnableWindow $ModeAll 0
  ${EndIf}
  ${If} $Mode == all
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModeAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Mode all
  ${Else}
    StrCpy $Mode user
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function SkipOnUpgrade
  ${If} $Upgrade == 1
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.WaitForPeloraClosed
  !include "${LISTS}\unfiles.nsh"
  Delete "$INSTDIR\Pelora.installed"
  Delete "$INSTDIR\uninstall.exe"
  ; Removed only when empty: a data folder beside the program stays, and the folder with it.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DetailPrint "$DataNote"
SectionEnd

Function un.onInit
  UserInfo::GetAccountType
  Pop $Admin
  StrCpy $Mode user
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $Mode all
    ${If} $Admin != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "すべてのユーザー用の Pelora を削除するには、管理者の権限が要ります。$\r$\n\
「アプリと機能」から削除するか、uninstall.exe を「管理者として実行」で起動してください。" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
  ; Where the data remains: the folder the user moved it to, or the user's folder;
  ; and a data folder beside the program, which stays with its folder.
  SetShellVarContext current
  ReadRegStr $1 HKCU "${SETTINGS_KEY}" "folder"
  ${If} $1 == ""
    StrCpy $1 "$APPDATA\Pelora\data"
  ${EndIf}
  StrCpy $DataNote "データは削除していません。次のフォルダーに残っています。$\r$\n$1"
  ${If} ${FileExists} "$INSTDIR\data\*.*"
    StrCpy $DataNote "$DataNote$\r$\n$INSTDIR\data"
  ${EndIf}
  ${If} $Mode == all
    StrCpy $DataNote "$DataNote$\r$\n(ほかの利用者のデータも、それぞれの %APPDATA%\Pelora\data に残っています。)"
    SetShellVarContext all
  ${EndIf}
FunctionEnd
