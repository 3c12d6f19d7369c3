#!/usr/bin/env bash
# The product build is the build on the real CEF 3.2623 SDK: every launcher
# source compiles against the SDK's headers and nothing of the stand-in engine,
# and ZelmoraLauncher.exe takes its CEF from libcef.dll through the SDK's
# wrapper, the renderer-side message router's script functions included.
# Closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# By default the SDK that the build was configured with.
CEF2623=${CEF2623:-$(sed -n 's/^ZLM_CEF2623_SDK:PATH=//p' "$build/win/CMakeCache.txt" 2>/dev/null)}
CEF2623=${CEF2623:-../shared/cef-sdk-2623}
sdk=$(cd "$CEF2623" 2>/dev/null && pwd)
source scripts/pe-checks.sh

# Every compile command of a launcher source (src/) names the SDK and no
# folder of the stand-in engine.
sources_on_sdk() {  # tree
  python3 - "$1/compile_commands.json" "$sdk" "$PWD/cef_standin" <<'PY'
import json, sys
commands, sdk, standin = sys.argv[1:]
entries = [e for e in json.load(open(commands)) if "/src/" in e["file"] and "/cef_standin/" not in e["file"]]
bad = [e["file"] for e in entries if standin in e["command"] or
       (e["file"].endswith(("client_handler.cpp", "launcher_app.cpp", "main_win.cpp")) and sdk not in e["command"])]
print(f"  {len(entries)} launcher sources" + (": " + " ".join(bad) if bad else ""))
sys.exit(1 if bad or not entries else 0)
PY
}

check "the 2623 SDK is at $CEF2623" test -f "$sdk/include/cef_app.h" || { finish; exit 1; }
tree="$build/win"
exe="$tree/ZelmoraLauncher.exe"
check "$tree compiles the launcher against the 2623 SDK only" sources_on_sdk "$tree"
check "$exe imports libcef.dll" imports_dll "$exe" libcef.dll
check "$exe imports cef_v8value_create_function (the real renderer-side router)" \
  imports_function "$exe" libcef.dll cef_v8value_create_function
check "the product tree $build/win is a PE32 GUI program for Intel 80386" is_gui_x86 "$build/win/ZelmoraLauncher.exe"
finish
