#!/usr/bin/env bash
# The shipped executables: 32-bit x86 GUI programs that need nothing but system DLLs.
# Prints one line per check and closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/pe-checks.sh
for exe in "$build/win/ZelmoraLauncher.exe" "$build/win/cef_standin/standin_sample.exe"; do
  check "$exe exists" test -f "$exe" || continue
  check "$exe is a PE32 GUI program for Intel 80386" is_gui_x86 "$exe"
  check "$exe imports only system DLLs" imports_only "$exe"
done
finish
