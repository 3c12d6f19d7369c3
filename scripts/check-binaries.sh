#!/usr/bin/env bash
# The shipped executables: 32-bit x86 GUI programs that need nothing but system DLLs.
# Prints one line per check and closes with "N passed, N failed".
set -uo pipefail
build=${1:-build}
system_dlls='^(KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|ole32|OLEAUT32|CRYPT32|msvcrt|COMCTL32|WS2_32|SHLWAPI|VERSION|WINMM)\.dll$'
pass=0; fail=0
check() {  # description command...
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; else fail=$((fail + 1)); echo "FAIL $1"; fi
}
is_gui_x86() { file -b "$1" | grep -q '^PE32 executable (GUI) Intel 80386'; }
imports_only_system_dlls() {
  local dlls others
  dlls=$(i686-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
  others=$(grep -viE "$system_dlls" <<<"$dlls")
  [ -n "$dlls" ] && [ -z "$others" ] || { echo "  imports: $(echo $dlls)"; return 1; }
}
for exe in "$build/win/ZelmoraLauncher.exe" "$build/win/cef_standin/standin_sample.exe"; do
  check "$exe exists" test -f "$exe" || continue
  check "$exe is a PE32 GUI program for Intel 80386" is_gui_x86 "$exe"
  check "$exe imports only system DLLs" imports_only_system_dlls "$exe"
done
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
