#!/usr/bin/env bash
# Starts the launcher under Wine: on $DISPLAY when there is one, otherwise on a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# A prefix of its own: the test rig's prefix keeps windows unmanaged for speed,
# which a desktop with a window manager should not inherit.
source scripts/wine-env.sh "$build"
rig_enter scripts/run.sh "$@"
export WINEPREFIX="$(cd "$build" && pwd)/$rig_prefix_name-run"
exe="$build/win/ZelmoraLauncher.exe"
if [ -z "${DISPLAY:-}" ]; then
  rig_start_xvfb
  echo "run: no \$DISPLAY, so the launcher runs on a private Xvfb at $DISPLAY."
  echo "run: take a screenshot with: DISPLAY=$DISPLAY import -window root shot.png"
fi
echo "run: starting $exe under 32-bit Wine ($(rig_emulator)); close its window or press Ctrl+C to stop"
set +e
"$rig_wine" "$exe"
rc=$?
set -e
echo "run: the launcher exited with status $rc"
