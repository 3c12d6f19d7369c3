# Sourced by the binary checks: one line per check, counted for the closing
# line "N passed, N failed".
pass=0; fail=0
system_dlls='KERNEL32|USER32|GDI32|SHELL32|ADVAPI32|ole32|OLEAUT32|CRYPT32|msvcrt|COMCTL32|WS2_32|SHLWAPI|VERSION|WINMM|RPCRT4'

check() {  # description command...; returns the command's outcome
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; return 0; fi
  fail=$((fail + 1)); echo "FAIL $1"; return 1
}
is_gui_x86() { file -b "$1" | grep -q '^PE32 executable (GUI) Intel 80386'; }
is_dll_x86() { file -b "$1" | grep -q '^PE32 executable (DLL) .*Intel 80386'; }
dll_imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
# exe extra-dll-regex: imports nothing but system DLLs and the extra ones.
imports_only() {
  local dlls others
  dlls=$(dll_imports "$1")
  others=$(grep -viE "^(${system_dlls}${2:+|$2})\.dll$" <<<"$dlls")
  [ -n "$dlls" ] && [ -z "$others" ] || { echo "  imports: $(echo $dlls)"; return 1; }
}
imports_dll() { dll_imports "$1" | grep -qix "$2"; }
# The functions a PE file imports from one DLL, and the ones a DLL exports.
# The x86_64 objdump reads PE32 and PE32+ alike.
functions_imported_from() {
  x86_64-w64-mingw32-objdump -p "$1" |
    awk -v dll="$2" 'tolower($0) ~ "dll name: " tolower(dll) "$" {on=1; next}
                     on && /^\s*$/ {on=0} on && NF >= 3 && $1 != "vma:" {print $NF}'
}
exports_of() {
  x86_64-w64-mingw32-objdump -p "$1" |
    awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^\s*$/ {on=0} on {print $NF}'
}
imports_function() { functions_imported_from "$1" "$2" | grep -qx "$3"; }
# exe dll: every function that exe takes from libcef.dll is there in dll.
dll_serves() {
  local missing
  missing=$(comm -23 <(functions_imported_from "$1" libcef.dll | sort -u) <(exports_of "$2" | sort -u))
  [ -z "$missing" ] || { echo "  not exported: $(echo $missing)"; return 1; }
}
is_standin_engine() { exports_of "$1" | grep -qx zlm_standin_engine; }
finish() { echo "$pass passed, $fail failed"; [ "$fail" -eq 0 ]; }
