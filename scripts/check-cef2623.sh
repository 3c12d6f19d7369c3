#!/usr/bin/env bash
# The launcher against the real CEF 3.2623 SDK beside the project (headers, the
# wrapper library's sources, an import library for libcef.dll): it must compile
# and link with the project's warnings as errors, and come out as a 32-bit GUI
# program that imports libcef.dll and system DLLs only. There is no libcef.dll
# here, so it is never run. Closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sdk=${CEF2623:-../shared/cef-sdk-2623}
tree="$build/cef2623"
exe="$tree/ZelmoraLauncher.exe"
source scripts/pe-checks.sh

configure_and_build() {
  local root
  root=$(cd "$sdk" && pwd) || return 1
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DCEF_ROOT="$root" >/dev/null &&
    cmake --build "$tree" --target ZelmoraLauncher -j "$(nproc)"
}

check "the 2623 SDK is at $sdk" test -f "$sdk/include/cef_app.h" || finish || exit 1
# A stale executable must not pass for a build that failed.
rm -f "$exe"
check "ZelmoraLauncher.exe compiles and links against the 2623 SDK" configure_and_build || { finish; exit 1; }
check "$exe is a PE32 GUI program for Intel 80386" is_gui_x86 "$exe"
check "$exe imports libcef.dll" imports_dll "$exe" libcef.dll
check "$exe imports nothing but libcef.dll and system DLLs" imports_only "$exe" libcef
finish
