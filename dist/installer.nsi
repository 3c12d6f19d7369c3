; Per-user installer of Zelmora Launcher. Built by scripts/make-dist.sh, which
; passes the build's facts as defines:
;   ZLM_VERSION      X.Y.Z, the project's version read from the build tree
;   ZLM_TARGET       x86-unicode (the product) or amd64-unicode (the 64-bit test build)
;   ZLM_FILES_NSH    generated list of the packed files (ZLM_FOR_EACH_FILE, ...)
;   ZLM_ICON         the launcher's icon from the build tree
;   ZLM_WEBSITE_URL  the product web site
;   ZLM_FLASH_VERSION the Flash plug-in version the launcher announces
;   ZLM_SETUP_NAME   the installer's file name
;   ZLM_OUTFILE      where the installer is written
;   ZLM_STANDIN      (defined or not) the package holds the stand-in engine, a
;                    test engine without a web renderer, instead of CEF
;
; The install folder holds data that is not ours to replace or remove: the
; player's logins (accounts.dat, and files the launcher kept aside as
; accounts.dat.unreadable-<n>) and the Flash plug-in (pepflashplayer.dll).
; Installer and uninstaller touch neither; only the optional uninstall section
; "Also remove saved logins" deletes the logins.

!ifndef ZLM_VERSION | ZLM_TARGET | ZLM_FILES_NSH | ZLM_ICON | ZLM_WEBSITE_URL | ZLM_FLASH_VERSION | ZLM_SETUP_NAME | ZLM_OUTFILE
  !error "installer.nsi is built by scripts/make-dist.sh"
!endif

Target ${ZLM_TARGET}
SetCompressor /SOLID lzma
; A file that cannot be written must stop the install, never be skipped:
; silent mode would otherwise report success over a half-updated folder.
AllowSkipFiles off

!define PRODUCT "Zelmora Launcher"
!define EXE "ZelmoraLauncher.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelmoraLauncher"
!define SHORTCUT "${PRODUCT}.lnk"
; Suffix of a new file while it waits beside the one it replaces.
!define NEW ".zlm-new"
; Exit code when setup or the uninstaller stops without changing anything that
; was there (the launcher is running, a file is in use, the folder is unusable).
!define EXIT_NOT_DONE 2

Name "${PRODUCT}"
OutFile "${ZLM_OUTFILE}"
; Per user: no administrator rights, and a folder the launcher can write its
; cache and accounts.dat to. Under Program Files every save of the logins fails.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the earlier install (and its accounts.dat) is.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ManifestDPIAware true
!ifdef ZLM_STANDIN
  ; On every page, so that nobody takes a test package for the product.
  BrandingText "${PRODUCT} ${ZLM_VERSION} - test engine, no web renderer"
!else
  BrandingText "${PRODUCT} ${ZLM_VERSION}"
!endif
ShowInstDetails show
ShowUninstDetails show

; The same keys as the launcher's own version resource, which names no copyright holder.
!pragma warning disable 9100
VIProductVersion "${ZLM_VERSION}.0"
VIFileVersion "${ZLM_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${ZLM_VERSION}"
!ifdef ZLM_STANDIN
  VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup (test engine without a web renderer, not for players)"
!else
  VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
!endif
VIAddVersionKey /LANG=1033 "FileVersion" "${ZLM_VERSION}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "${ZLM_SETUP_NAME}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"
!include "${ZLM_FILES_NSH}"
!include "launcher_guard.nsh"
!include "remove_tree.nsh"

!define MUI_ICON "${ZLM_ICON}"
!define MUI_UNICON "${ZLM_ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

; --- Installer pages ---------------------------------------------------------
!ifdef ZLM_STANDIN
  ; The first thing a test package says; its launcher opens its window but can
  ; show no page, and it would replace the CEF of a player's install.
  !define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${ZLM_VERSION}: a test package, not for players"
  !define MUI_WELCOMEPAGE_TITLE_3LINES
  !define MUI_WELCOMEPAGE_TEXT "This package holds a test engine without a web renderer (the stand-in engine) instead of CEF. The launcher opens its window, but shows no web pages: the game cannot be played with it.$\r$\n$\r$\nIt is for tests and demonstrations, not for players. Do not install it over a player's install: it would replace CEF there. Players install ZelmoraLauncherSetup-${ZLM_VERSION}.exe.$\r$\n$\r$\n$_CLICK"
!endif
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed in$\r$\n$INSTDIR$\r$\n$\r$\nThe Flash plug-in is not part of it: put the 32-bit pepflashplayer.dll (Flash Player ${ZLM_FLASH_VERSION}) into that folder, beside ${EXE}."
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

; --- Uninstaller pages -------------------------------------------------------
; Filled in by the last uninstall section: says whether the logins were kept.
Var UnFinishText
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your saved logins (accounts.dat) are kept unless you tick the box; reinstalling into the same folder brings them back. Removed logins cannot be recovered."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$UnFinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"


!insertmacro ZLM_GUARD_FUNCTIONS ""
!insertmacro ZLM_GUARD_FUNCTIONS "un."

; --- Installer ---------------------------------------------------------------
; Every packed file is first written under a new name beside the one it
; replaces. Only when all of them are there, and no old file is in use, do they
; take the old names: a failure before that leaves the earlier install exactly
; as it was.

!macro ZLM_DISCARD_NEW Rel
  Delete "$INSTDIR\${Rel}${NEW}"
!macroend

!macro ZLM_CHECK_FREE Rel
  Push "$INSTDIR\${Rel}"
  Call ZlmCheckFileFree
!macroend

!macro ZLM_COMMIT Rel
  Push "${Rel}"
  Call ZlmCommitFile
!macroend

!macro ZLM_REMOVE_SUBDIR Rel
  RMDir "$INSTDIR\${Rel}"
!macroend

; Removes what a failed install wrote: the waiting new files, and folders it
; created that are still empty (a failed first install leaves nothing behind).
Function .onInstFailed
  !insertmacro ZLM_FOR_EACH_FILE ZLM_DISCARD_NEW
  !insertmacro ZLM_DISCARD_NEW "${UNINSTALLER}"
  !insertmacro ZLM_FOR_EACH_SUBDIR ZLM_REMOVE_SUBDIR
  RMDir "$INSTDIR"
FunctionEnd

; In: a path relative to $INSTDIR on the stack. Moves the new file over the old
; one. A virus scanner may still be reading a file just written, so a refused
; move is tried again for a few seconds before the player is asked.
!define ZLM_COMMIT_TRIES 20
!define ZLM_COMMIT_WAIT_MS 250
Function ZlmCommitFile
  Exch $0
  Push $1
  Push $2
  SetFileAttributes "$INSTDIR\$0" NORMAL
  StrCpy $2 0
  ${Do}
    ; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\$0${NEW}", w "$INSTDIR\$0", i 0x9) i .r1'
    ${If} $1 <> 0
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
    ${If} $2 >= ${ZLM_COMMIT_TRIES}
      ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Setup could not replace$\r$\n$INSTDIR\$0$\r$\n$\r$\nClose the program that uses it and click Retry. Cancel leaves the update unfinished; run setup again to finish it." /SD IDCANCEL IDRETRY`
        DetailPrint "Could not replace $INSTDIR\$0; the update is unfinished."
        SetErrorLevel ${EXIT_NOT_DONE}
        Abort
      ${EndIf}
      StrCpy $2 0
    ${EndIf}
    Sleep ${ZLM_COMMIT_WAIT_MS}
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  !insertmacro ZLM_ENSURE_LAUNCHER_CLOSED ""

  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot create the folder$\r$\n$INSTDIR$\r$\n$\r$\nChoose a folder your Windows user can write to." /SD IDOK
    DetailPrint "Cannot create $INSTDIR."
    SetErrorLevel ${EXIT_NOT_DONE}
    Abort
  ${EndIf}

  !insertmacro ZLM_EXTRACT_FILES
  WriteUninstaller "$INSTDIR\${UNINSTALLER}${NEW}"

  ; The player may have started the launcher while the files were written.
  !insertmacro ZLM_ENSURE_LAUNCHER_CLOSED ""
  !insertmacro ZLM_FOR_EACH_FILE ZLM_CHECK_FREE
  !insertmacro ZLM_CHECK_FREE "${UNINSTALLER}"
  !insertmacro ZLM_FOR_EACH_FILE ZLM_COMMIT
  !insertmacro ZLM_COMMIT "${UNINSTALLER}"

  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${ZLM_VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER}$\""
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" "$\"$INSTDIR\${UNINSTALLER}$\" /S"
  WriteRegStr HKCU "${UNINST_KEY}" "URLInfoAbout" "${ZLM_WEBSITE_URL}"
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Desktop shortcut" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
SectionEnd

; Out: the folder given with /D= as typed on the command line, or "" without one.
; NSIS takes the rest of the command line after " /D=" (D upper case) and cuts
; it off $CMDLINE, so only the process's own command line still shows it.
Function ZlmGivenInstDir
  System::Store "S"
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrCpy $9 ""
  StrLen $2 $0
  StrCpy $1 0
  ${DoWhile} $1 < $2
    StrCpy $3 $0 4 $1
    ${If} $3 S== " /D="
      IntOp $1 $1 + 4
      StrCpy $9 $0 "" $1
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  ; $INSTDIR never ends in a backslash.
  ${DoWhile} $9 != ""
    StrCpy $3 $9 1 -1
    ${If} $3 != "\"
      ${Break}
    ${EndIf}
    StrCpy $9 $9 -1
  ${Loop}
  Push $9
  System::Store "L"
FunctionEnd

Function .onInit
  ; NSIS quietly puts a /D= folder it cannot use (a relative path, a drive
  ; root, a drive that is not there) aside for the earlier or default one; a
  ; silent install would then report success for a folder nobody asked for.
  Call ZlmGivenInstDir
  Pop $0
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot install into$\r$\n$0$\r$\n$\r$\nGive /D= a full path of a folder (not a drive's root)." /SD IDOK
    SetErrorLevel ${EXIT_NOT_DONE}
    Quit
  ${EndIf}

  ; An update keeps the player's choice: no desktop shortcut if they had removed it.
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$DESKTOP\${SHORTCUT}"
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

; --- Uninstaller -------------------------------------------------------------
; Removes by name what the installer put there, and the cache. Everything else
; in the folder stays, and with it the folder: accounts.dat unless the player
; ticks the logins section, pepflashplayer.dll, and files of the player's own.

!macro ZLM_REMOVE_FILE Rel
  Delete "$INSTDIR\${Rel}"
  Delete "$INSTDIR\${Rel}${NEW}"
!macroend

!macro ZLM_UN_CHECK_FREE Rel
  Push "$INSTDIR\${Rel}"
  Call un.ZlmCheckFileFree
!macroend

Section "un.${PRODUCT} (program files, cache, shortcuts)" SecUnMain
  SectionIn RO
  !insertmacro ZLM_ENSURE_LAUNCHER_CLOSED "un."
  !insertmacro ZLM_FOR_EACH_FILE ZLM_UN_CHECK_FREE

  !insertmacro ZLM_FOR_EACH_FILE ZLM_REMOVE_FILE
  !insertmacro ZLM_FOR_EACH_SUBDIR ZLM_REMOVE_SUBDIR
  Push "$INSTDIR\cache"
  Call un.ZlmRemoveTree

  ; Shortcuts and the uninstall entry belong to the registered install; a copy
  ; elsewhere must not take them from it.
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    DeleteRegKey HKCU "${UNINST_KEY}"
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Also remove saved logins" SecUnLogins
  Delete "$INSTDIR\accounts.dat"
  Delete "$INSTDIR\accounts.dat.unreadable-*"
  ; Left by a save that was cut off; the launcher removes them on its next save.
  Delete "$INSTDIR\accounts.dat.*.tmp"
  RMDir "$INSTDIR"
SectionEnd

Section "-un.Finish text"
  ${If} ${FileExists} "$INSTDIR\accounts.dat"
    StrCpy $UnFinishText "${PRODUCT} was removed.$\r$\n$\r$\nYour saved logins were kept in$\r$\n$INSTDIR\accounts.dat$\r$\nInstalling ${PRODUCT} into that folder again brings them back."
  ${Else}
    StrCpy $UnFinishText "${PRODUCT} was removed from your computer."
  ${EndIf}
SectionEnd

Function un.onInit
  ; Files are removed by name from $INSTDIR: a folder without our uninstaller
  ; (a mistyped _?= folder, say) is not an install of ours.
  ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR does not hold an installed ${PRODUCT}." /SD IDOK
    SetErrorLevel ${EXIT_NOT_DONE}
    Quit
  ${EndIf}
  ; Silent mode shows no page, so the tick has a switch of its own.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVELOGINS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnLogins}
  ${EndIf}
FunctionEnd
