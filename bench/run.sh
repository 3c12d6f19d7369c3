#!/usr/bin/env bash
# Runs every benchmark under Wine, from the Windows tree that this host can
# execute (scripts/wine-env.sh), in the test prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
trap rig_stop EXIT
rig_start_wineserver
for bench in "$build/$rig_tree"/bench/*_bench.exe; do
  echo "== $bench"
  "$rig_wine" "$bench"
done
