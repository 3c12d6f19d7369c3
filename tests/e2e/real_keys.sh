#!/usr/bin/env bash
# One real key press as X delivers it, not sent through the page channel: the
# launcher runs under Wine on the rig's display, is clicked into like a player
# would, and gets F11 and then Escape from xdotool; its window must cover the
# screen and come back, and Alt+F4 must end it with 0.
# Usage: real_keys.sh <ZelmoraLauncher.exe> <wine loader>. Needs $DISPLAY and the
# rig's Wine prefix. Closes with "N passed, N failed".
set -uo pipefail
exe=$1
wine=$2
pass=0; fail=0
check() {  # description command...
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; return 0; fi
  fail=$((fail + 1)); echo "FAIL $1"; return 1
}
finish() { echo "$pass passed, $fail failed"; [ "$fail" -eq 0 ]; }

source "$(dirname "$0")/x11_geometry.sh"
ends_with_zero() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return; }
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  return 1
}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# With the libcef.dll it runs on.
cp "$exe" "$(dirname "$exe")/libcef.dll" "$dir/"
(cd "$dir" && exec "$wine" "./$(basename "$exe")") &
pid=$!

wid=$(timeout 30 xdotool search --sync --name '^Zelmora Launcher$' 2>/dev/null | head -n 1)
check "the main window appears on the display" test -n "$wid" || { kill "$pid"; finish; exit 1; }
before=$(geometry -id "$wid")
screen=$(geometry -root)
xdotool mousemove --window "$wid" 200 200 click 1
xdotool key F11
check "F11 makes the window cover the screen ($screen)" becomes "$screen"
xdotool key Escape
check "Escape brings it back to $before" becomes "$before"
xdotool key alt+F4
check "Alt+F4 closes it and it exits with 0" ends_with_zero
finish
