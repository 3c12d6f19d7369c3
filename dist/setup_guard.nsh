; One setup or uninstall at a time per install folder. Two at once would undo
; each other: a second setup takes the first one's backups for those of a
; cut-off update and moves them back over files the first has already
; replaced; a second uninstaller removes the files the first is replacing.
;
; The guard is a file in the install folder, open with no sharing: no other run
; can open it, whichever spelling of the folder it was given (a short name, a
; substituted drive, a junction), since the file system resolves them all to
; the one file. The open handle is the guard, so it ends with the process that
; holds it, killed or not, and never goes stale. The file is deleted when it is
; closed; one that a power loss left is simply opened again by the next run.
; It must be closed before the folder itself is removed.
;
; !insertmacro ZLM_SETUP_GUARD_FUNCTIONS "" and "un." define the functions for
; the installer and the uninstaller. Needs launcher_guard.nsh.

!define ZLM_SETUP_LOCK "zlm-setup.lock"
; GENERIC_READ | GENERIC_WRITE | DELETE
!define ZLM_LOCK_ACCESS 0xC0010000
!define ZLM_GENERIC_READ 0x80000000
!define ZLM_OPEN_ALWAYS 4
; FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_HIDDEN
!define ZLM_LOCK_FLAGS 0x04000002
; FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
!define ZLM_SHARE_ALL 7

; The lock file's handle while this run holds the guard, else "".
Var SetupGuard
; The folder it is held for.
Var SetupGuardDir

!macro ZLM_SETUP_GUARD_FUNCTIONS UN

Function ${UN}ZlmReleaseSetupGuard
  ${If} $SetupGuard != ""
    System::Call 'kernel32::CloseHandle(p $SetupGuard) i'
    StrCpy $SetupGuard ""
  ${EndIf}
FunctionEnd

; Takes the guard of $INSTDIR, giving up one held for another folder (the
; player may have chosen another on the directory page). Out: 1 when this run
; holds it, 0 when another run does, -1 when it cannot be made (no such
; folder, or one this Windows user cannot write to).
Function ${UN}ZlmTakeSetupGuard
  System::Store "S"
  ${If} $SetupGuard != ""
  ${AndIf} $SetupGuardDir != $INSTDIR
    Call ${UN}ZlmReleaseSetupGuard
  ${EndIf}
  StrCpy $9 1
  ${If} $SetupGuard == ""
    StrCpy $0 "$INSTDIR\${ZLM_SETUP_LOCK}"
    System::Call 'kernel32::CreateFileW(w r0, i ${ZLM_LOCK_ACCESS}, i 0, p 0, i ${ZLM_OPEN_ALWAYS}, i ${ZLM_LOCK_FLAGS}, p 0) p .r1 ?e'
    Pop $2
    ${If} $1 P<> -1
      StrCpy $SetupGuard $1
      StrCpy $SetupGuardDir $INSTDIR
    ${ElseIf} $2 = ${ZLM_ERROR_SHARING_VIOLATION}
      StrCpy $9 0
    ${Else}
      StrCpy $9 -1
    ${EndIf}
  ${EndIf}
  Push $9
  System::Store "L"
FunctionEnd

; Says that another run holds the folder, and sets the exit code; the caller
; then stops before it has changed anything.
Function ${UN}ZlmSayAnotherSetupRuns
  MessageBox MB_OK|MB_ICONEXCLAMATION "Another setup or uninstall of ${PRODUCT} is running for$\r$\n$INSTDIR$\r$\n$\r$\nWait until it has finished, then try again. Nothing was changed." /SD IDOK
  DetailPrint "Another setup or uninstall is running for $INSTDIR; nothing was changed."
  SetErrorLevel ${EXIT_NOT_DONE}
FunctionEnd

!if "${UN}" == "un."
; Out: 1 when another run holds the guard of $INSTDIR, else 0. Creates nothing,
; for a folder that may hold no install of ours.
Function un.ZlmSetupGuardHeld
  System::Store "S"
  StrCpy $9 0
  StrCpy $0 "$INSTDIR\${ZLM_SETUP_LOCK}"
  System::Call 'kernel32::CreateFileW(w r0, i ${ZLM_GENERIC_READ}, i ${ZLM_SHARE_ALL}, p 0, i ${ZLM_OPEN_EXISTING}, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 P<> -1
    System::Call 'kernel32::CloseHandle(p r1) i'
  ${ElseIf} $2 = ${ZLM_ERROR_SHARING_VIOLATION}
    StrCpy $9 1
  ${EndIf}
  Push $9
  System::Store "L"
FunctionEnd
!endif

!macroend
