; Keeps the installer and the uninstaller away from files in use. The launcher
; of an install is every process whose image is $INSTDIR\ZelmoraLauncher.exe:
; the browser process and CEF's sub-processes, which are copies of it. Before
; anything is replaced or removed, a running launcher is closed once the player
; agrees; in silent mode nobody can agree, so the run stops and changes nothing.
;
; !insertmacro ZLM_GUARD_FUNCTIONS "" and "un." define the functions for the
; installer and the uninstaller; ZLM_ENSURE_LAUNCHER_CLOSED calls them.

!define ZLM_PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define ZLM_GENERIC_WRITE 0x40000000
!define ZLM_OPEN_EXISTING 3
!define ZLM_ERROR_SHARING_VIOLATION 32
!define ZLM_ERROR_LOCK_VIOLATION 33
; Room for 16384 process ids.
!define ZLM_PID_BUFFER 65536
; How long a closed launcher may take to end (CEF shuts its sub-processes
; down after the window): 80 polls of 250 ms.
!define ZLM_CLOSE_POLLS 80
!define ZLM_CLOSE_POLL_MS 250

!macro ZLM_ENSURE_LAUNCHER_CLOSED UN
  Call ${UN}ZlmEnsureLauncherClosed
!macroend

!macro ZLM_GUARD_FUNCTIONS UN

; In: process id on the stack. Out: 1 when that process runs our launcher, else 0.
Function ${UN}ZlmIsLauncherPid
  System::Store "S r0"
  StrCpy $9 0
  System::Call 'kernel32::OpenProcess(i ${ZLM_PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r0) p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r3'
    System::Call 'kernel32::CloseHandle(p r1)'
    ; StrCmp is case-insensitive, as Windows paths are.
    ${If} $3 <> 0
    ${AndIf} $2 == "$INSTDIR\ZelmoraLauncher.exe"
      StrCpy $9 1
    ${EndIf}
  ${EndIf}
  Push $9
  System::Store "L"
FunctionEnd

; Out: the number of running launcher processes of $INSTDIR, on the stack.
Function ${UN}ZlmCountLaunchers
  System::Store "S"
  StrCpy $9 0
  System::Alloc ${ZLM_PID_BUFFER}
  Pop $1
  System::Call 'kernel32::K32EnumProcesses(p r1, i ${ZLM_PID_BUFFER}, *i 0 r2) i .r3'
  ${If} $3 <> 0
    IntOp $2 $2 / 4
    StrCpy $4 0
    ${DoWhile} $4 < $2
      IntOp $5 $4 * 4
      IntPtrOp $5 $1 + $5
      System::Call '*$5(i .r6)'
      Push $6
      Call ${UN}ZlmIsLauncherPid
      Pop $7
      IntOp $9 $9 + $7
      IntOp $4 $4 + 1
    ${Loop}
  ${EndIf}
  System::Free $1
  Push $9
  System::Store "L"
FunctionEnd

; Asks every visible top-level window of the launcher to close, as its close
; button would; the launcher then shuts CEF down and ends on its own.
Function ${UN}ZlmCloseLauncherWindows
  System::Store "S"
  StrCpy $1 0
  ${Do}
    FindWindow $1 "" "" 0 $1
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    System::Call 'user32::IsWindowVisible(p r1) i .r2'
    ${If} $2 <> 0
      System::Call 'user32::GetWindowThreadProcessId(p r1, *i 0 r3) i'
      Push $3
      Call ${UN}ZlmIsLauncherPid
      Pop $4
      ${If} $4 = 1
        System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0) i'
      ${EndIf}
    ${EndIf}
  ${Loop}
  System::Store "L"
FunctionEnd

; Returns only once no launcher of $INSTDIR runs; otherwise stops the run.
Function ${UN}ZlmEnsureLauncherClosed
  Push $0
  Push $1
  ${Do}
    Call ${UN}ZlmCountLaunchers
    Pop $0
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running from$\r$\n$INSTDIR$\r$\n$\r$\nClick OK to close it and go on, or Cancel to stop without changing anything." /SD IDCANCEL IDOK`
      DetailPrint "${PRODUCT} is running from $INSTDIR; nothing was changed."
      SetErrorLevel ${EXIT_NOT_DONE}
      Abort
    ${EndIf}
    DetailPrint "Closing ${PRODUCT}..."
    Call ${UN}ZlmCloseLauncherWindows
    StrCpy $1 0
    ${Do}
      Sleep ${ZLM_CLOSE_POLL_MS}
      Call ${UN}ZlmCountLaunchers
      Pop $0
      IntOp $1 $1 + 1
      ${If} $0 = 0
      ${OrIf} $1 >= ${ZLM_CLOSE_POLLS}
        ${Break}
      ${EndIf}
    ${Loop}
    ${If} $0 <> 0
      ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} did not close.$\r$\n$\r$\nClose it yourself and click Retry, or click Cancel to stop without changing anything." /SD IDCANCEL IDRETRY`
        DetailPrint "${PRODUCT} did not close; nothing was changed."
        SetErrorLevel ${EXIT_NOT_DONE}
        Abort
      ${EndIf}
    ${EndIf}
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

; In: a path on the stack. Out: 1 when another program has that file open (a
; running image, an open handle of any kind), else 0. A missing file is free.
Function ${UN}ZlmFileInUse
  System::Store "S r0"
  StrCpy $9 0
  System::Call 'kernel32::CreateFileW(w r0, i ${ZLM_GENERIC_WRITE}, i 0, p 0, i ${ZLM_OPEN_EXISTING}, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 P= -1
    ${If} $2 = ${ZLM_ERROR_SHARING_VIOLATION}
    ${OrIf} $2 = ${ZLM_ERROR_LOCK_VIOLATION}
      StrCpy $9 1
    ${EndIf}
  ${Else}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  Push $9
  System::Store "L"
FunctionEnd

; In: a path on the stack. Returns while the file is free; stops the run if
; the player gives up waiting (or at once in silent mode).
Function ${UN}ZlmCheckFileFree
  Exch $0
  Push $1
  ${Do}
    Push $0
    Call ${UN}ZlmFileInUse
    Pop $1
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0 is in use by another program.$\r$\n$\r$\nClose that program and click Retry, or click Cancel to stop without changing anything." /SD IDCANCEL IDRETRY`
      DetailPrint "In use: $0; nothing was changed."
      SetErrorLevel ${EXIT_NOT_DONE}
      Abort
    ${EndIf}
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

!macroend
