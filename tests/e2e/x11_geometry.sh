# Shared by the shell suites that watch a window on the X display.
# geometry [xwininfo args]: x,y,widthxheight of an X window.
# becomes <geometry>: $wid has that geometry within 10 s (else says what it has).
geometry() {
  xwininfo "$@" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x "," y "," w "x" h}'
}
becomes() {
  for _ in $(seq 100); do
    [ "$(geometry -id "$wid")" = "$1" ] && return 0
    sleep 0.1
  done
  echo "  geometry: $(geometry -id "$wid"), expected $1"
  return 1
}
