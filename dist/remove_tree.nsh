; un.ZlmRemoveTree: removes a folder and everything below it, except what a
; junction or symbolic link inside it points to: the link itself is removed,
; never followed. NSIS's own RMDir /r descends into junctions and would empty
; their targets, which may lie anywhere on the disk. Read-only entries go too.
;
; In: the folder's path on the stack.

!define ZLM_FILE_ATTRIBUTE_DIRECTORY 0x10
!define ZLM_FILE_ATTRIBUTE_REPARSE_POINT 0x400
!define ZLM_INVALID_FILE_ATTRIBUTES -1

Function un.ZlmRemoveTree
  System::Store "S r0"
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r3'
  ${If} $3 = ${ZLM_INVALID_FILE_ATTRIBUTES}
    Goto done
  ${EndIf}
  IntOp $4 $3 & ${ZLM_FILE_ATTRIBUTE_REPARSE_POINT}
  ${If} $4 <> 0
    ; The folder itself is a link: remove the link only.
    System::Call 'kernel32::RemoveDirectoryW(w r0) i'
    Goto done
  ${EndIf}

  FindFirst $1 $2 "$0\*"
  ${DoWhile} $2 != ""
    ${If} $2 != "."
    ${AndIf} $2 != ".."
      StrCpy $5 "$0\$2"
      System::Call 'kernel32::GetFileAttributesW(w r5) i .r3'
      ${If} $3 <> ${ZLM_INVALID_FILE_ATTRIBUTES}
        IntOp $4 $3 & ${ZLM_FILE_ATTRIBUTE_REPARSE_POINT}
        IntOp $6 $3 & ${ZLM_FILE_ATTRIBUTE_DIRECTORY}
        ${If} $4 <> 0
          ${If} $6 <> 0
            System::Call 'kernel32::RemoveDirectoryW(w r5) i'
          ${Else}
            System::Call 'kernel32::DeleteFileW(w r5) i'
          ${EndIf}
        ${ElseIf} $6 <> 0
          Push $5
          Call un.ZlmRemoveTree
        ${Else}
          SetFileAttributes $5 NORMAL
          System::Call 'kernel32::DeleteFileW(w r5) i'
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
  SetFileAttributes $0 NORMAL
  System::Call 'kernel32::RemoveDirectoryW(w r0) i'
done:
  System::Store "L"
FunctionEnd
