; Per-user installer of Zelmora Launcher. Built by scripts/make-dist.sh, which
; passes the build's facts as defines:
;   ZLM_VERSION      X.Y.Z, the project's version read from the build tree
;   ZLM_TARGET       x86-unicode: the product is one 32-bit program
;   ZLM_FILES_NSH    generated list of the packed files (ZLM_FOR_EACH_FILE, ...)
;   ZLM_ICON         the launcher's icon from the build tree
;   ZLM_WEBSITE_URL  the product web site
;   ZLM_FLASH_VERSION the Flash plug-in version the launcher announces
;   ZLM_SETUP_NAME   the installer's file name
;   ZLM_OUTFILE      where the installer is written
;   ZLM_STANDIN      (defined or not) the package holds the stand-in engine, a
;                    test engine without a web renderer, instead of CEF
;   ZLM_SIGN_COMMAND (defined or not) the program that signs a file in place
;                    (scripts/sign-file.sh, with the identity in its environment)
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
; The uninstaller that setup writes is signed as it is made, before it is
; packed; setup itself once it is written.
!ifdef ZLM_SIGN_COMMAND
  !uninstfinalize '"${ZLM_SIGN_COMMAND}" "%1"' = 0
  !finalize '"${ZLM_SIGN_COMMAND}" "%1"' = 0
!endif

!define PRODUCT "Zelmora Launcher"
!define EXE "ZelmoraLauncher.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelmoraLauncher"
!define SHORTCUT "${PRODUCT}.lnk"
; Suffix of a new file while it waits beside the one it replaces.
!define NEW ".zlm-new"
; An old file waits as <name>${OLD}<attempt> while the new one takes its place,
; until the update is finished or undone. <attempt> is the setup run's own.
!define OLD ".zlm-old-"
; zlm-update-<attempt>${DONE} in the install folder: every new file of that
; attempt was in place; its backups are only waiting to be removed. Backups
; without their attempt's mark are put back in place by the next run.
!define DONE_PREFIX "zlm-update-"
!define DONE ".zlm-done"
; Exit code when setup or the uninstaller stops without changing anything that
; was there (the launcher is running, a file is in use, the folder is unusable).
!define EXIT_NOT_DONE 2
; Exit code when an update failed while it replaced files, and the earlier
; version was put back as it was.
!define EXIT_UNDONE 3
; Exit code when an update failed and setup could not put all of the earlier
; files back: they wait under backup names, and the next setup run puts them
; back before anything else.
!define EXIT_BROKEN 4

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
!include "setup_guard.nsh"
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
!insertmacro ZLM_SETUP_GUARD_FUNCTIONS ""
!insertmacro ZLM_SETUP_GUARD_FUNCTIONS "un."

; --- Installer ---------------------------------------------------------------
; Every packed file is first written under a new name beside the one it
; replaces. Only when all of them are there, and no old file is in use, do the
; old files move aside to backup names and the new ones take their places. A
; failure before that leaves the earlier install exactly as it was; a failure
; after it puts the backups back and removes the new files already placed.
; Backups a cut-off run left are dealt with before anything else (see
; ZlmRecoverCutOffUpdate). Only names of packed files and of their backups are
; touched: accounts.dat and the player's files never. All of it happens under
; the folder's setup guard (setup_guard.nsh): a second setup or uninstaller of
; the folder stops before it changes anything.

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
; A run that stopped because another holds the folder wrote nothing, and the
; waiting files there are the other run's.
Function .onInstFailed
  ${If} $SetupGuard != ""
    !insertmacro ZLM_FOR_EACH_FILE ZLM_DISCARD_NEW
    !insertmacro ZLM_DISCARD_NEW "${UNINSTALLER}"
    !insertmacro ZLM_FOR_EACH_SUBDIR ZLM_REMOVE_SUBDIR
  ${EndIf}
  ; The guard's file would keep the folder.
  Call ZlmReleaseSetupGuard
  RMDir "$INSTDIR"
FunctionEnd

!define ZLM_COMMIT_TRIES 20
!define ZLM_COMMIT_WAIT_MS 250
; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
!define ZLM_MOVE_FLAGS 0x9
!define ZLM_CREATE_ALWAYS 2
; FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL
!define ZLM_WRITE_THROUGH_NORMAL 0x80000080

; This setup run's name for its backups.
Var Attempt
Var UndoFailed

; In: source, then target on the stack. Moves source to target, replacing it. A
; virus scanner may still be reading a file just written, so a refused move is
; tried again for a few seconds. Out: 1 when moved, else 0.
Function ZlmMoveFile
  System::Store "S r1 r0"
  StrCpy $2 1
  ${Do}
    System::Call 'kernel32::MoveFileExW(w r0, w r1, i ${ZLM_MOVE_FLAGS}) i .r9'
    ${If} $9 <> 0
    ${OrIf} $2 >= ${ZLM_COMMIT_TRIES}
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
    Sleep ${ZLM_COMMIT_WAIT_MS}
  ${Loop}
  ${If} $9 <> 0
    StrCpy $9 1
  ${EndIf}
  Push $9
  System::Store "L"
FunctionEnd

; In: source, target, and the path relative to $INSTDIR being replaced on the
; stack. Moves source to target; when that keeps failing, the player may retry,
; or give up (at once in silent mode), which undoes the update.
Function ZlmMoveOrUndo
  System::Store "S r2 r1 r0"
  ${Do}
    Push $0
    Push $1
    Call ZlmMoveFile
    Pop $3
    ${If} $3 = 1
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Setup could not replace$\r$\n$INSTDIR\$2$\r$\n$\r$\nClose the program that uses it and click Retry. Cancel stops the update and puts the earlier version back." /SD IDCANCEL IDRETRY`
      DetailPrint "Could not move $0 to $1."
      Call ZlmUndoUpdate
    ${EndIf}
  ${Loop}
  System::Store "L"
FunctionEnd

!macro ZLM_BACK_UP Rel
  Push "${Rel}"
  Call ZlmBackUpFile
!macroend

; In: a path relative to $INSTDIR on the stack. Moves the old file, if there is
; one, aside to its backup name.
Function ZlmBackUpFile
  Exch $0
  ${If} ${FileExists} "$INSTDIR\$0"
    Push "$INSTDIR\$0"
    Push "$INSTDIR\$0${OLD}$Attempt"
    Push $0
    Call ZlmMoveOrUndo
  ${EndIf}
  Pop $0
FunctionEnd

; In: a path relative to $INSTDIR on the stack. Moves the new file into place.
Function ZlmCommitFile
  Exch $0
  Push "$INSTDIR\$0${NEW}"
  Push "$INSTDIR\$0"
  Push $0
  Call ZlmMoveOrUndo
  Pop $0
FunctionEnd

!macro ZLM_UNDO Rel
  Push "${Rel}"
  Call ZlmUndoFile
!macroend

; In: a path relative to $INSTDIR on the stack. Puts back what was there before
; this run; sets $UndoFailed when it cannot.
Function ZlmUndoFile
  Exch $0
  Push $1
  ${If} ${FileExists} "$INSTDIR\$0${OLD}$Attempt"
    Push "$INSTDIR\$0${OLD}$Attempt"
    Push "$INSTDIR\$0"
    Call ZlmMoveFile
    Pop $1
    ${If} $1 = 0
      DetailPrint "Could not put back $INSTDIR\$0."
      StrCpy $UndoFailed 1
    ${EndIf}
  ${ElseIf} ${FileExists} "$INSTDIR\$0${NEW}"
    ; Not moved yet: the earlier file, if any, is where it was.
  ${ElseIf} ${FileExists} "$INSTDIR\$0"
    ; Moved in, and the earlier version had no such file.
    ClearErrors
    Delete "$INSTDIR\$0"
    ${If} ${Errors}
      DetailPrint "Could not remove $INSTDIR\$0."
      StrCpy $UndoFailed 1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Puts every file back as it was before this run and stops the run. Backups
; that cannot be moved back stay, for the next run to put back.
Function ZlmUndoUpdate
  StrCpy $UndoFailed 0
  !insertmacro ZLM_FOR_EACH_FILE ZLM_UNDO
  !insertmacro ZLM_UNDO "${UNINSTALLER}"
  ${If} $UndoFailed = 0
    MessageBox MB_OK|MB_ICONSTOP "The update of ${PRODUCT} failed: another program kept one of its files in use.$\r$\n$\r$\nThe earlier version was put back and starts as before. To update, close programs that may use files in$\r$\n$INSTDIR$\r$\n(a virus scanner, say) and run setup again." /SD IDOK
    DetailPrint "The update failed; the earlier version was put back."
    SetErrorLevel ${EXIT_UNDONE}
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "The update of ${PRODUCT} failed, and setup could not put all of the earlier version back: ${PRODUCT} may not start.$\r$\n$\r$\nRestart Windows and run setup again; it puts your files in order first. Your saved logins are not affected." /SD IDOK
    DetailPrint "The update failed; some earlier files could not be put back yet."
    SetErrorLevel ${EXIT_BROKEN}
  ${EndIf}
  Abort
FunctionEnd

; In: a file name on the stack. Out, on the stack: the name it is a backup of
; ("" when it is no backup), then the attempt that made it.
Function ZlmSplitBackupName
  System::Store "S r0"
  StrCpy $8 ""
  StrCpy $9 ""
  StrLen $2 "${OLD}"
  StrLen $1 $0
  IntOp $1 $1 - $2
  ${DoWhile} $1 > 0
    StrCpy $3 $0 $2 $1
    ${If} $3 == "${OLD}"
      StrCpy $8 $0 $1
      IntOp $1 $1 + $2
      StrCpy $9 $0 "" $1
      ${Break}
    ${EndIf}
    IntOp $1 $1 - 1
  ${Loop}
  Push $9
  Push $8
  System::Store "L"
FunctionEnd

; In: a folder, then an attempt on the stack. Removes that attempt's backups in
; the folder and below it, or with the attempt "" puts every backup there back
; in place. Enters neither the cache nor links. Out: how many failed.
Function ZlmRecoverTree
  System::Store "S r1 r0"
  StrCpy $9 0
  FindFirst $2 $3 "$0\*"
  ${DoWhile} $3 != ""
    ${If} $3 != "."
    ${AndIf} $3 != ".."
      StrCpy $4 "$0\$3"
      System::Call 'kernel32::GetFileAttributesW(w r4) i .r5'
      IntOp $6 $5 & ${ZLM_FILE_ATTRIBUTE_REPARSE_POINT}
      IntOp $7 $5 & ${ZLM_FILE_ATTRIBUTE_DIRECTORY}
      ${If} $5 = ${ZLM_INVALID_FILE_ATTRIBUTES}
      ${OrIf} $6 <> 0
        ; Gone meanwhile, or a link: nothing of ours.
      ${ElseIf} $7 <> 0
        ${If} $4 != "$INSTDIR\cache"
          Push $4
          Push $1
          Call ZlmRecoverTree
          Pop $5
          IntOp $9 $9 + $5
        ${EndIf}
      ${Else}
        Push $3
        Call ZlmSplitBackupName
        Pop $5
        Pop $6
        ${If} $5 == ""
          ; Not a backup.
        ${ElseIf} $1 == ""
          Push $4
          Push "$0\$5"
          Call ZlmMoveFile
          Pop $5
          ${If} $5 = 0
            DetailPrint "Could not put back $4."
            IntOp $9 $9 + 1
          ${EndIf}
        ${ElseIf} $6 == $1
          SetFileAttributes $4 NORMAL
          System::Call 'kernel32::DeleteFileW(w r4) i .r5'
          ${If} $5 = 0
            IntOp $9 $9 + 1
          ${EndIf}
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FindNext $2 $3
  ${Loop}
  FindClose $2
  Push $9
  System::Store "L"
FunctionEnd

; An earlier setup run that was cut off (power loss, killed) leaves backups.
; Those of an attempt whose new files were all in place are removed; any other
; backup goes back to its place, which makes the earlier version whole again
; before this run replaces anything. A backup is never removed unless its
; attempt was marked finished.
Function ZlmRecoverCutOffUpdate
  System::Store "S"
  StrCpy $9 0
  FindFirst $0 $1 "$INSTDIR\${DONE_PREFIX}*${DONE}"
  ${DoWhile} $1 != ""
    StrLen $2 "${DONE}"
    StrCpy $3 $1 -$2
    StrLen $2 "${DONE_PREFIX}"
    StrCpy $3 $3 "" $2
    Push $INSTDIR
    Push $3
    Call ZlmRecoverTree
    Pop $2
    ${If} $2 = 0
      Delete "$INSTDIR\$1"
    ${Else}
      IntOp $9 $9 + $2
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ${If} $9 = 0
    Push $INSTDIR
    Push ""
    Call ZlmRecoverTree
    Pop $9
  ${EndIf}
  ${If} $9 <> 0
    MessageBox MB_OK|MB_ICONSTOP "An earlier update of ${PRODUCT} was cut off, and setup cannot put its files in order: another program uses them.$\r$\n$\r$\nRestart Windows and run setup again. Your saved logins are not affected." /SD IDOK
    DetailPrint "Could not put back the files of an update that was cut off."
    SetErrorLevel ${EXIT_BROKEN}
    Abort
  ${EndIf}
  System::Store "L"
FunctionEnd

; Every new file is in place: the attempt is marked finished (on disk before any
; backup goes, so that a cut-off removal is finished, not undone, by the next
; run), then its backups and the mark are removed. Without the mark nothing is
; removed: the backups stay, and the next run takes them for those of a cut-off
; update and puts the old files back in place before it updates again.
Function ZlmFinishUpdate
  System::Store "S"
  StrCpy $0 "$INSTDIR\${DONE_PREFIX}$Attempt${DONE}"
  System::Call 'kernel32::CreateFileW(w r0, i ${ZLM_GENERIC_WRITE}, i 0, p 0, i ${ZLM_CREATE_ALWAYS}, i ${ZLM_WRITE_THROUGH_NORMAL}, p 0) p .r1'
  ${If} $1 P= -1
    DetailPrint "Could not mark the update finished; the old files stay beside the new ones, and the next setup run puts them back before it updates again."
  ${Else}
    System::Call 'kernel32::FlushFileBuffers(p r1) i'
    System::Call 'kernel32::CloseHandle(p r1) i'
    Push $INSTDIR
    Push $Attempt
    Call ZlmRecoverTree
    Pop $2
    ${If} $2 = 0
      Delete $0
    ${EndIf}
  ${EndIf}
  System::Store "L"
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  ; The folder comes first: its guard lives in it. .onInit took the guard of
  ; the folder it knew; the directory page may have named another.
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot create the folder$\r$\n$INSTDIR$\r$\n$\r$\nChoose a folder your Windows user can write to." /SD IDOK
    DetailPrint "Cannot create $INSTDIR."
    SetErrorLevel ${EXIT_NOT_DONE}
    Abort
  ${EndIf}
  Call ZlmTakeSetupGuard
  Pop $0
  ${If} $0 = 0
    Call ZlmSayAnotherSetupRuns
    Abort
  ${ElseIf} $0 < 0
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write to the folder$\r$\n$INSTDIR$\r$\n$\r$\nChoose a folder your Windows user can write to." /SD IDOK
    DetailPrint "Cannot write to $INSTDIR."
    SetErrorLevel ${EXIT_NOT_DONE}
    Abort
  ${EndIf}
  !insertmacro ZLM_ENSURE_LAUNCHER_CLOSED ""

  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  System::Call 'kernel32::GetTickCount() i .r1'
  IntFmt $0 "%x" $0
  IntFmt $1 "%08x" $1
  StrCpy $Attempt "$0$1"
  Call ZlmRecoverCutOffUpdate

  !insertmacro ZLM_EXTRACT_FILES
  WriteUninstaller "$INSTDIR\${UNINSTALLER}${NEW}"

  ; The player may have started the launcher while the files were written.
  !insertmacro ZLM_ENSURE_LAUNCHER_CLOSED ""
  !insertmacro ZLM_FOR_EACH_FILE ZLM_CHECK_FREE
  !insertmacro ZLM_CHECK_FREE "${UNINSTALLER}"
  ; The old files go aside before any new one moves in: a move that fails at
  ; any point then has every old file to put back.
  !insertmacro ZLM_FOR_EACH_FILE ZLM_BACK_UP
  !insertmacro ZLM_BACK_UP "${UNINSTALLER}"
  !insertmacro ZLM_FOR_EACH_FILE ZLM_COMMIT
  !insertmacro ZLM_COMMIT "${UNINSTALLER}"
  Call ZlmFinishUpdate

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

  ; An update's folder is there already: a second setup of it is told so at
  ; once, not after its pages. A folder still to be made is guarded by the
  ; install section, which makes it.
  Call ZlmTakeSetupGuard
  Pop $0
  ${If} $0 = 0
    Call ZlmSayAnotherSetupRuns
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
  Delete "$INSTDIR\${Rel}${OLD}*"
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
  Delete "$INSTDIR\${DONE_PREFIX}*${DONE}"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

Section /o "un.Also remove saved logins" SecUnLogins
  Delete "$INSTDIR\accounts.dat"
  Delete "$INSTDIR\accounts.dat.unreadable-*"
  ; Left by a save that was cut off; the launcher removes them on its next save.
  Delete "$INSTDIR\accounts.dat.*.tmp"
SectionEnd

Section "-un.Finish text"
  ; The folder goes when nothing is left in it; the guard's file would keep it.
  Call un.ZlmReleaseSetupGuard
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\accounts.dat"
    StrCpy $UnFinishText "${PRODUCT} was removed.$\r$\n$\r$\nYour saved logins were kept in$\r$\n$INSTDIR\accounts.dat$\r$\nInstalling ${PRODUCT} into that folder again brings them back."
  ${Else}
    StrCpy $UnFinishText "${PRODUCT} was removed from your computer."
  ${EndIf}
SectionEnd

Function un.onInit
  ; Files are removed by name from $INSTDIR: a folder without our uninstaller
  ; (a mistyped _?= folder, say) is not an install of ours, unless a setup
  ; running there has its uninstaller aside for the moment.
  ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    Call un.ZlmSetupGuardHeld
    Pop $0
    ${If} $0 = 1
      Call un.ZlmSayAnotherSetupRuns
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "$INSTDIR does not hold an installed ${PRODUCT}." /SD IDOK
      SetErrorLevel ${EXIT_NOT_DONE}
    ${EndIf}
    Quit
  ${EndIf}
  ; A folder this user cannot write to cannot be guarded, nor changed by a
  ; setup either: the uninstaller goes on as it would without the guard.
  Call un.ZlmTakeSetupGuard
  Pop $0
  ${If} $0 = 0
    Call un.ZlmSayAnotherSetupRuns
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
