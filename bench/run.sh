#!/usr/bin/env bash
# Runs every benchmark of the product's tree under 32-bit Wine
# (scripts/wine-env.sh), in the test prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
rig_enter bench/run.sh "$@"
rig_start_wineserver
for bench in "$build/win"/bench/*_bench.exe; do
  echo "== $bench"
  "$rig_wine" "$bench"
done
