#!/usr/bin/env bash
# The 32-bit programs and the engine beside them: x86 GUI programs that need
# libcef.dll and system DLLs only, and a libcef.dll (here the stand-in engine's)
# that needs system DLLs only and serves every function they take from it.
# Prints one line per check and closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/pe-checks.sh
for exe in "$build/win/ZelmoraLauncher.exe" "$build/win/cef_standin/standin_sample.exe"; do
  dll="$(dirname "$exe")/libcef.dll"
  check "$exe exists" test -f "$exe" || continue
  check "$exe is a PE32 GUI program for Intel 80386" is_gui_x86 "$exe"
  check "$exe imports libcef.dll and system DLLs only" imports_only "$exe" libcef
  check "$dll is beside it" test -f "$dll" || continue
  check "$dll is a PE32 DLL for Intel 80386" is_dll_x86 "$dll"
  check "$dll imports only system DLLs" imports_only "$dll"
  check "$dll exports every function $exe takes from it" dll_serves "$exe" "$dll"
done
finish
