# Sourced by the rig's scripts: one Wine prefix inside the build tree, quiet,
# without the Mono and Gecko installers (nothing here needs them).
#
# The product is a 32-bit program and runs under 32-bit Wine. Some hosts cannot
# execute 32-bit Linux programs at all (no 32-bit user mode in their kernel or
# hypervisor); there the Windows suites run from a 64-bit build of the same
# sources (tree win64) under 64-bit Wine, in a prefix of its own.

# Prints the Windows tree whose programs this host can run: win or win64.
rig_wine_tree() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win
  else
    echo win64
  fi
}

rig_tree=$(rig_wine_tree)
if [ "$rig_tree" = win ]; then
  rig_wine=wine
  rig_prefix_name=wineprefix
else
  # /usr/bin/wine would pick the 32-bit loader because it is installed.
  rig_wine=/usr/lib/wine/wine64
  export WINELOADER=$rig_wine
  rig_prefix_name=wineprefix64
fi
export WINEPREFIX="${WINEPREFIX:-$(cd "${1:-build}" && pwd)/$rig_prefix_name}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

rig_pids=()

# Starts a private Xvfb unless one is given; sets DISPLAY.
rig_start_xvfb() {
  local fifo dpy
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  rig_pids+=($!)
  read -r -t 20 dpy <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$dpy"
}

# A wineserver of our own, in the foreground so that its process id is ours to stop.
rig_start_wineserver() {
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >/dev/null 2>&1 &
  rig_wineserver_pid=$!
  rig_pids+=($!)
  # The first use of a prefix creates it; do that once, up front.
  "$rig_wine" cmd /c exit >/dev/null 2>&1 || true
  # Without a window manager, Wine waits about 2 s on every managed window it
  # destroys; unmanaged windows go at once.
  "$rig_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

rig_stop() {
  local pid
  # Ends every Wine process of our prefix (services, explorer, programs under
  # test); killing the server alone would leave them running without it.
  if [ -n "${rig_wineserver_pid:-}" ]; then
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    rig_wineserver_pid=
  fi
  for pid in "${rig_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${rig_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rig_pids=()
}
