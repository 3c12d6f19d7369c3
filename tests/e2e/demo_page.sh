#!/usr/bin/env bash
# The stand-in engine's demonstration page, clicked as a player would: real
# mouse clicks from xdotool on two of its buttons (zoom 150 %, maximise); their
# answers must appear in its list and their effects in the launcher: the zoom
# level of the site and the window covering the screen.
# Usage: demo_page.sh <Windows build folder> <wine loader> [--screenshot <png>].
# Needs $DISPLAY and the rig's Wine prefix. Closes with "N passed, N failed".
# With --screenshot it clicks a few buttons instead and saves the window.
set -uo pipefail
tree=$(cd "$1" && pwd)
wine=$2
shot=
[ "${3:-}" = --screenshot ] && shot=$(realpath -m "${4:?--screenshot needs a file}")
pass=0; fail=0
check() {  # description command...
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; return 0; fi
  fail=$((fail + 1)); echo "FAIL $1"; return 1
}
finish() { echo "$pass passed, $fail failed"; [ "$fail" -eq 0 ]; exit; }
broken() { fail=$((fail + 1)); echo "FAIL $1"; finish; }

source "$(dirname "$0")/x11_geometry.sh"

dir=$(mktemp -d)
client_pid=
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
cp "$tree/ZelmoraLauncher.exe" "$tree/libcef.dll" "$dir/"

line=
hear() {  # one line from the client within $1 seconds
  line=
  read -r -t "$1" line <&"${client[0]}" || { echo "  the channel client said nothing"; return 1; }
  line=${line%$'\r'}
}
ask() {  # request: sends it and takes the reply line
  printf '%s\n' "$1" >&"${client[1]}" 2>/dev/null || return 1
  hear 30 && case "$line" in "reply "*) ;; *) echo "  < $line"; return 1 ;; esac
}
reply() {  # python expression over the last reply r; prints it
  python3 -c 'import json, sys; r = json.loads(sys.argv[1]); print('"$1"')' "${line#reply }"
}

coproc client { exec "$wine" "$tree/tests/e2e/channel_client.exe" "Z:${dir//\//\\}\\ZelmoraLauncher.exe" 2>"$dir/client.log"; }
client_pid=$!
hear 60 && [ "${line%% *}" = pid ] || broken "the launcher did not start"
hear 60 && [ "$line" = open ] || broken "the page channel did not open: $line"
ask '{"op":"wait_ready","wait_ms":20000}' && [ "$(reply 'r["ready"]')" = True ] ||
  broken "the page never got cefQuery"

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Zelmora Launcher$' 2>/dev/null | head -n 1)
[ -n "$wid" ] || broken "no window"
screen=$(geometry -root)

ask '{"op":"demo"}' || broken "no demonstration page"
centre() {  # label: x y of the button's centre in the window
  python3 -c 'import json, sys
r = json.loads(sys.argv[1])
b = [b for b in r["buttons"] if b["label"] == sys.argv[2]][0]
print(b["x"] + b["width"] // 2, b["y"] + b["height"] // 2)' "${line#reply }" "$1"
}
zoom_at=$(centre "Zoom 150 %") && maximise_at=$(centre "Maximise") &&
  memory_at=$(centre "Memory figure") && drag_at=$(centre "Drag: hold and move") ||
  broken "buttons missing"

listed() {  # the list shows this line, within 10 s
  for _ in $(seq 50); do
    ask '{"op":"demo"}' || return 1
    python3 -c 'import json, sys; r = json.loads(sys.argv[1]);
sys.exit(0 if any(sys.argv[2] in l for l in r["log"]) else 1)' "${line#reply }" "$1" &&
      return 0
    sleep 0.2
  done
  echo "  list: $(reply 'r["log"]')"
  return 1
}

click() {  # label: a real click on that button
  local at
  at=$(centre "$1") || return 1
  # shellcheck disable=SC2086
  xdotool mousemove --window "$wid" $at click 1
}

if [ -n "$shot" ]; then
  for label in "Memory figure" "Add a test login" "List logins" "Read its password" \
               "Discord card text" "Zoom 100 %"; do
    ask '{"op":"demo"}' && click "$label"
    sleep 0.5
  done
  check "the last click is answered" listed "win:zoom:100  -> success"
  xdotool mousemove --window "$wid" 5 5
  sleep 0.5
  check "the window is saved in $shot" import -window "$wid" "$shot"
  ask '{"op":"close"}'
  eval "exec ${client[1]}>&-"
  hear 60
  client_pid=
  finish
fi

# shellcheck disable=SC2086
xdotool mousemove --window "$wid" $zoom_at click 1
check "a click on Zoom 150 % is answered in the list" listed "win:zoom:150  -> success \"\""
zoomed() {
  ask '{"op":"zoom"}' && python3 -c 'import json, math, sys; r = json.loads(sys.argv[1])
sys.exit(0 if abs(r["level"] - math.log(1.5) / math.log(1.2)) < 0.01 else 1)' "${line#reply }"
}
check "the site is shown at 150 % (zoom level log 1.5 / log 1.2)" zoomed

# A drag: the button held on "Drag" starts the system's move loop, in which the
# engine must go on with its work. A query sent meanwhile (the channel itself
# needs the engine's tasks) is answered before the button is let go.
engine_flag() {  # the OS-modal flag the engine was given is $1 (True/False)
  ask '{"op":"engine"}' && [ "$(reply 'r["os_modal_loop"]')" = "$1" ]
}
answered_during_drag() {
  ask '{"op":"query","request":"app:getram","wait_ms":10000}' &&
    [ "$(reply 'r["state"]')" = success ] || { echo "  < $line"; return 1; }
}
moved_by() {  # dx dy: the window's place, against $drag_from
  local g
  for _ in $(seq 50); do
    g=$(geometry -id "$wid")
    python3 -c 'import re, sys
a = list(map(int, re.split("[,x]", sys.argv[1]))); b = list(map(int, re.split("[,x]", sys.argv[2])))
sys.exit(0 if b[0] - a[0] == int(sys.argv[3]) and b[1] - a[1] == int(sys.argv[4]) else 1)' \
      "$drag_from" "$g" "$1" "$2" && return 0
    sleep 0.1
  done
  echo "  from $drag_from to $g"
  return 1
}
drag_from=$(geometry -id "$wid")
# shellcheck disable=SC2086
xdotool mousemove --window "$wid" $drag_at mousedown 1
sleep 1
check "while the window is dragged, a query is answered before the button is let go" answered_during_drag
check "  ... and the move loop runs with the engine's OS-modal flag set" engine_flag True
xdotool mousemove_relative -- 40 30
sleep 0.3
xdotool mouseup 1
check "the window moved with the mouse (40, 30)" moved_by 40 30
check "  ... and the flag is cleared after the drag" engine_flag False

# shellcheck disable=SC2086
xdotool mousemove --window "$wid" $maximise_at click 1
check "a click on Maximise is answered in the list" listed "win:maximize  -> success \"\""
# Maximised, its sizing border lies just outside the screen, as on Windows.
covers_screen() {
  local g
  for _ in $(seq 100); do
    g=$(geometry -id "$wid")
    python3 -c 'import re, sys
x, y, w, h = map(int, re.split("[,x]", sys.argv[1])); _, _, sw, sh = map(int, re.split("[,x]", sys.argv[2]))
sys.exit(0 if x <= 0 and y <= 0 and x + w >= sw and y + h >= sh else 1)' "$g" "$screen" && return 0
    sleep 0.1
  done
  echo "  geometry: $g, screen $screen"
  return 1
}
check "the window is maximised over the screen ($screen)" covers_screen

# A page of another origin gets the same buttons; the launcher refuses them.
ask '{"op":"navigate","url":"https://elsewhere.example/","wait_ms":10000}'
# shellcheck disable=SC2086
xdotool mousemove --window "$wid" $memory_at click 1
check "on a foreign page the list shows the launcher refusing the click" \
  listed "app:getram  -> failure -1"

ask '{"op":"close"}'
eval "exec ${client[1]}>&-"
hear 60
check "closing the window ends it with 0" test "$line" = "exit 0"
client_pid=
finish
