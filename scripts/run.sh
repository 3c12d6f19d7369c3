#!/usr/bin/env bash
# Starts the launcher under Wine: on $DISPLAY when there is one, otherwise on a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/win/ZelmoraLauncher.exe}
# A prefix of its own: the test rig's prefix keeps windows unmanaged for speed,
# which a desktop with a window manager should not inherit.
WINEPREFIX="$(cd "$(dirname "$exe")/.." && pwd)/wineprefix-run"
export WINEPREFIX
source scripts/wine-env.sh
trap rig_stop EXIT
if [ -z "${DISPLAY:-}" ]; then
  rig_start_xvfb
  echo "run: no \$DISPLAY, so the launcher runs on a private Xvfb at $DISPLAY."
  echo "run: take a screenshot with: DISPLAY=$DISPLAY import -window root shot.png"
fi
echo "run: starting $exe (close its window or press Ctrl+C to stop)"
set +e
wine "$exe"
rc=$?
set -e
echo "run: the launcher exited with status $rc"
