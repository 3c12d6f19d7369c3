#!/usr/bin/env bash
# Runs the account store benchmark under Wine, from the Windows tree that this
# host can execute (scripts/wine-env.sh), in the test prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
trap rig_stop EXIT
rig_start_wineserver
"$rig_wine" "$build/$rig_tree/bench/accounts_bench.exe"
