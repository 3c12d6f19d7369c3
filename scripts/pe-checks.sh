# Sourced by the binary checks: one line per check, counted for the closing
# line "N passed, N failed".
pass=0; fail=0
system_dlls='KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|ole32|OLEAUT32|CRYPT32|msvcrt|COMCTL32|WS2_32|SHLWAPI|VERSION|WINMM|RPCRT4'

check() {  # description command...; returns the command's outcome
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; return 0; fi
  fail=$((fail + 1)); echo "FAIL $1"; return 1
}
is_gui_x86() { file -b "$1" | grep -q '^PE32 executable (GUI) Intel 80386'; }
dll_imports() { i686-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
# exe extra-dll-regex: imports nothing but system DLLs and the extra ones.
imports_only() {
  local dlls others
  dlls=$(dll_imports "$1")
  others=$(grep -viE "^(${system_dlls}${2:+|$2})\.dll$" <<<"$dlls")
  [ -n "$dlls" ] && [ -z "$others" ] || { echo "  imports: $(echo $dlls)"; return 1; }
}
imports_dll() { dll_imports "$1" | grep -qix "$2"; }
finish() { echo "$pass passed, $fail failed"; [ "$fail" -eq 0 ]; }
