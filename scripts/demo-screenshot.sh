#!/usr/bin/env bash
# Retakes docs/demo-page.png: the launcher on the stand-in engine after a few
# clicks on its demonstration page, on a private Xvfb. Run after `make build`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/wine-env.sh "$build"
rig_enter scripts/demo-screenshot.sh "$@"
unset DISPLAY
rig_start_xvfb
rig_start_wineserver
tests/e2e/demo_page.sh "$build/win" "$rig_wine" --screenshot docs/demo-page.png
