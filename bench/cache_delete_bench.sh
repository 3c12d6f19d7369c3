#!/usr/bin/env bash
# Runs the cache deletion benchmark under Wine, from the Windows tree this host
# can execute (scripts/wine-env.sh), in the test prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
trap rig_stop EXIT
rig_start_wineserver
"$rig_wine" "$build/$rig_tree/bench/cache_delete_bench.exe"
