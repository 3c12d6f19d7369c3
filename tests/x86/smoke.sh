#!/usr/bin/env bash
# The shipped 32-bit launcher (build/win: ZelmoraLauncher.exe with the stand-in
# libcef.dll) under 32-bit Wine: its window appears at its place, the page
# channel answers app:getram, and the page's win:close ends it with 0.
#
# Hosts that cannot execute 32-bit Linux programs run 32-bit Wine through
# qemu-i386, which binfmt_misc starts for i386 ELF programs. That entry is made
# for this suite only: in a binfmt_misc instance of a private user namespace
# where the kernel has them (Linux 6.7 on), so no other process on the machine
# sees it, or else in the system's binfmt_misc as root, removed again on every
# way out. The other suites keep choosing their tree as before.
#
# Usage: smoke.sh <build folder>. Uses $DISPLAY or starts an Xvfb.
# Closes with "N passed, N failed".
set -uo pipefail
build=$(cd "${1:?usage: smoke.sh <build folder>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
self="$here/$(basename "$0")"

wine32=/usr/lib/wine/wine
entry=zlm-qemu-i386
# i386 ELF executables and shared objects (e_machine 3), as qemu registers them.
entry_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
entry_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# The whole suite stays within 20 minutes; a cold 32-bit prefix under
# qemu takes several of them.
budget=1200

pass=0; fail=0
check() {  # description command...
  if "${@:2}"; then pass=$((pass + 1)); echo "ok   $1"; return 0; fi
  fail=$((fail + 1)); echo "FAIL $1"; return 1
}
finish() {
  # qemu-user now and then hands Wine a fault as an unknown trap, which Wine
  # cannot resolve; when a process of the last run met that, its failed checks
  # say nothing of the launcher.
  local sign
  if [ "$fail" -gt 0 ] && sign=$(emulator_failed); then
    echo "x86: skipped: qemu-i386 failed a process of 32-bit Wine in the last run ($sign); the checks above that failed say nothing of the launcher"
    fail=0
  fi
  if [ "$fail" -gt 0 ] && [ -s "${scratch:-/nonexistent}/client.log" ]; then
    echo "x86: the last lines of $scratch/client.log (Wine's errors, the launcher's output):"
    tail -n 40 "$scratch/client.log" | sed 's/^/  | /'
  fi
  echo "$pass passed, $fail failed"; [ "$fail" -eq 0 ]; exit
}
# The first line of this run's log that shows qemu failing Wine. (qemu's own
# "uncaught target signal" is not one: a helper process of Wine's ends with it
# in runs that pass.)
emulator_failed() {
  grep -m1 "err:seh:segv_handler Got unexpected trap" "${scratch:-/nonexistent}/client.log"
}
skip() { echo "x86: skipped: $1"; echo "0 passed, 0 failed"; exit 0; }
broken() { fail=$((fail + 1)); echo "FAIL $1"; finish; }

left() {  # seconds of the budget still left, at most $1
  local rest=$((budget - SECONDS))
  [ "$rest" -lt 1 ] && rest=1
  [ "$rest" -lt "$1" ] && echo "$rest" || echo "$1"
}

native32() { "$wine32" --version >/dev/null 2>&1; }

find_qemu() {
  local q
  for q in qemu-i386-static qemu-i386; do
    command -v "$q" && return 0
  done
  return 1
}

register() {  # binfmt_misc folder, qemu
  printf '%s' ":$entry:M::$entry_magic:$entry_mask:$2:F" >"$1/register"
}

# An entry of ours in the system's binfmt_misc is left from a run that was
# killed outright; it would make 32-bit Wine look native to every suite.
remove_leftover() {
  local e=/proc/sys/fs/binfmt_misc/$entry
  [ -e "$e" ] || return 0
  echo "x86: removing $e, left by an earlier run"
  echo -1 >"$e"
}

# ---------------------------------------------------------------------------
scratch="$build/x86-smoke"
binfmt_dir=
binfmt_mounted=
xvfb_pid=
wineserver_pid=
client_pid=
bounded_pid=
under_qemu=

# A command within $1 seconds, waited for in the background so that a signal's
# trap runs at once instead of after it.
bounded() {
  local rc
  timeout "$1" "${@:2}" &
  bounded_pid=$!
  wait "$bounded_pid"; rc=$?
  bounded_pid=
  return "$rc"
}

cleanup() {
  # The prefix's Wine processes (programs, services, explorer), then its server.
  if [ -n "$wineserver_pid" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    for _ in $(seq 100); do kill -0 "$wineserver_pid" 2>/dev/null || break; sleep 0.1; done
    kill "$wineserver_pid" 2>/dev/null || true
    wait "$wineserver_pid" 2>/dev/null || true
  fi
  [ -n "$bounded_pid" ] && kill "$bounded_pid" 2>/dev/null
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  if [ -n "$binfmt_dir" ]; then
    [ -e "$binfmt_dir/$entry" ] && echo -1 >"$binfmt_dir/$entry"
    [ -n "$binfmt_mounted" ] && umount "$binfmt_dir"
    [ -n "${ZLM_X86_PRIVATE_BINFMT:-}" ] && rmdir "$binfmt_dir"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# ---------------------------------------------------------------------------
# Where 32-bit Wine cannot run yet, set up qemu for it, then go on below.
if [ -n "${ZLM_X86_PRIVATE_BINFMT:-}" ]; then
  # Second start, inside the private namespace: its own binfmt_misc instance.
  binfmt_dir=$(mktemp -d)
  mount -t binfmt_misc binfmt_misc "$binfmt_dir" || broken "binfmt_misc could not be mounted in the private namespace"
  binfmt_mounted=1
  register "$binfmt_dir" "$ZLM_X86_PRIVATE_BINFMT" ||
    broken "the $entry entry could not be registered in the private namespace"
  echo "x86: 32-bit Wine through $ZLM_X86_PRIVATE_BINFMT, binfmt entry private to this suite"
  under_qemu=1
elif { remove_leftover; native32; }; then
  echo "x86: 32-bit Wine runs natively"
else
  qemu=$(find_qemu) || skip "32-bit Wine does not run here and there is no qemu-i386 (package qemu-user-static)"
  if unshare --user --map-root-user --mount sh -c \
       'd=$(mktemp -d) && mount -t binfmt_misc binfmt_misc "$d" && umount "$d"; r=$?; rmdir "$d"; exit $r' \
       >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
    # Same process id, so the rig's timeout still reaches this script.
    ZLM_X86_PRIVATE_BINFMT=$qemu exec unshare --user --map-root-user --mount -- bash "$self" "$build"
  fi
  # No private instance: the system's binfmt_misc, which needs root.
  [ "$(id -u)" -eq 0 ] || skip "32-bit Wine needs a binfmt_misc entry for qemu-i386, and registering one needs root"
  binfmt_dir=/proc/sys/fs/binfmt_misc
  if [ ! -e "$binfmt_dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt_dir" 2>/dev/null ||
      skip "binfmt_misc is not mounted at $binfmt_dir and could not be mounted"
    binfmt_mounted=1
  fi
  # Anyone else's i386 entry stays, and then we do not add a second one.
  for e in "$binfmt_dir"/*; do
    case "${e##*/}" in register | status) continue ;; esac
    magic=$(sed -n 's/^magic //p' "$e")
    if [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]; then
      skip "binfmt_misc already has an i386 entry (${e##*/}) that is not ours, and 32-bit Wine still does not run"
    fi
  done
  register "$binfmt_dir" "$qemu" || skip "the $entry entry could not be registered in $binfmt_dir"
  echo "x86: 32-bit Wine through $qemu, binfmt entry $entry in $binfmt_dir until this suite ends"
  under_qemu=1
fi

native32 || broken "32-bit Wine does not start even with the binfmt entry"

exe="$build/win/ZelmoraLauncher.exe"
dll="$build/win/libcef.dll"
for f in "$exe" "$dll"; do
  [ -f "$f" ] || broken "$f was not built"
done
cc=$(command -v i686-w64-mingw32-gcc-posix || command -v i686-w64-mingw32-gcc) ||
  broken "no MinGW-w64 i686 compiler for the channel client"

# The rig's environment names its own (64-bit) tree; this suite has its own.
export WINEPREFIX="$build/wineprefix-x86"
export WINEARCH=win32
export WINELOADER=$wine32
export WINEDEBUG=-all
# No Mono or Gecko installers, no desktop menu entries, and no crash dialog
# (winedbg) that nobody would click away on a headless display.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
unset WINESERVER
# qemu 7 searches the guest's free address space page by page on every mmap
# without a fixed address, and Wine makes many: each program start took over a
# minute with the default 4 GiB guest space. Wine's 32-bit layout ends at
# 0x82000000 (no large-address-aware program runs here), so 2.25 GiB keep all
# of it and start a program in seconds.
export QEMU_RESERVED_VA=0x90000000

if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 dpy <"$fifo" || { rm -f "$fifo"; broken "Xvfb did not start"; }
  rm -f "$fifo"
  export DISPLAY=":$dpy"
fi

rm -rf "$scratch"
mkdir -p "$scratch/run" "$WINEPREFIX"
"$cc" -municode -O2 -Wall -Wextra -Werror -static -o "$scratch/channel_client.exe" \
  "$here/../e2e/channel_client.c" || broken "the channel client does not build"
cp "$exe" "$dll" "$scratch/run/"

wineserver -f -p >/dev/null 2>&1 &
wineserver_pid=$!
if [ -f "$WINEPREFIX/.update-timestamp" ]; then
  echo "x86: 32-bit prefix $WINEPREFIX kept from an earlier run"
else
  echo "x86: creating the 32-bit prefix $WINEPREFIX (once per machine; minutes under qemu)"
fi
started=$SECONDS
# No launcher code runs in this step: a prefix that does not come up is the
# emulator's or Wine's matter on this host, reported as such, not as a fault.
bounded "$(left 420)" "$wine32" "$scratch/channel_client.exe" >"$scratch/prefix.log" 2>&1 ||
  skip "32-bit Wine under qemu did not bring its prefix up within $((SECONDS - started)) s (log: $scratch/prefix.log)"
grep -qx '#arch=win32' "$WINEPREFIX/system.reg" || broken "$WINEPREFIX is not a 32-bit prefix"
echo "x86: prefix ready in $((SECONDS - started)) s"

# ---------------------------------------------------------------------------
source "$here/../e2e/x11_geometry.sh"

# One line from the client, within $1 seconds.
line=
hear() {
  line=
  if ! read -r -t "$(left "$1")" line <&"${client[0]}"; then
    echo "  the channel client said nothing within $(left "$1") s"
    return 1
  fi
  line=${line%$'\r'}
  echo "  < $line"
}
ask() {  # seconds request: sends one request, takes the client's line for it
  echo "  > $2"
  printf '%s\n' "$2" >&"${client[1]}" 2>/dev/null || { echo "  the channel client is gone"; return 1; }
  hear "$1"
}
reply_is() {  # python expression over the reply r
  case "$line" in "reply "*) ;; *) return 1 ;; esac
  python3 -c 'import json, sys; r = json.loads(sys.argv[1]); sys.exit(0 if ('"$1"') else 1)' "${line#reply }"
}
started_as() { case "$line" in "pid "*) return 0 ;; esac; return 1; }

run_dir="Z:${scratch//\//\\}\\run"
start_client() {
  # Wine's own error lines (an unhandled exception and where it happened), each
  # with its process id, go to the log, so that a failure here can be read
  # without a rerun. ZLM_X86_WINEDEBUG asks for more.
  export WINEDEBUG=${ZLM_X86_WINEDEBUG:--all,err+all,+pid}
  coproc client { exec "$wine32" "$scratch/channel_client.exe" "$run_dir\\ZelmoraLauncher.exe" 2>"$scratch/client.log"; }
  client_pid=$!
}
# The client's own start under qemu now and then never comes back; that is
# before the launcher exists, so it is given one more try.
launcher_started() {
  hear 240 && started_as && return 0
  [ "$(left 300)" -ge 200 ] || return 1
  echo "x86: the channel client did not start the launcher; once more"
  kill "$client_pid" 2>/dev/null; wait "$client_pid" 2>/dev/null
  start_client
  hear 240 && started_as
}

# The launcher's own Wine process: under qemu its command line is qemu's, with
# the Windows path after the Wine loader (the channel client's names it too,
# but after its own). Natively Wine rewrites it to the Windows path alone.
launcher_pattern='(^|/wine )[A-Za-z]:\\[^ ]*\\ZelmoraLauncher\.exe$'
launcher_process() { pgrep -f "$launcher_pattern" >/dev/null; }

# Its window within 150 s (it takes well under a minute under qemu), given up at
# once when its process, once seen, is gone.
wid=
window_appears() {
  local until=$((SECONDS + $(left 150))) seen=
  while :; do
    wid=$(xdotool search --onlyvisible --name '^Zelmora Launcher$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && return 0
    if launcher_process; then
      seen=1
    elif [ -n "$seen" ]; then
      echo "  the launcher's process is gone"; return 1
    fi
    [ "$SECONDS" -lt "$until" ] || { echo "  no window within 150 s"; return 1; }
    sleep 1
  done
}

# COM's service (RpcSs), running before the launcher starts. Otherwise the
# first COM call of the desktop process, and of the launcher, finds it not yet
# started and takes the path of an RPC exception (0x6ba); under qemu 7.2 the
# unwind of that exception now and then lands in another thread of the same
# process, which then dies (trap -1 in ntdll's call_thread_func).
# Right after a new prefix, the service may not be known yet ("Could not get
# handle to service"): net is asked again, a few times.
start_rpcss() {
  local try
  for try in 1 2 3 4; do
    # Started, or already running (a later run's).
    bounded "$(left 120)" "$wine32" net start RpcSs >"$scratch/rpcss.log" 2>&1 && return 0
    grep -qi "already" "$scratch/rpcss.log" && return 0
    echo "x86: net start RpcSs said: $(tr -d '\r' <"$scratch/rpcss.log" | head -n 2 | tr '\n' ' ')"
    [ "$(left 400)" -ge 300 ] || break
    sleep 10
  done
  echo "x86: going on without COM's service running"
}

# One run of the launcher, from its start to its exit, checked.
client_done=
run_launcher() {
  client_done=
  start_rpcss
  start_client
  if ! launcher_started; then
    fail=$((fail + 1)); echo "FAIL the launcher starts (log: $scratch/client.log)"; return
  fi
  echo "x86: launcher started, Windows pid ${line#pid }"

  local screen close_sent=
  screen=$(geometry -root)
  if ! check "the main window appears on $screen" window_appears; then
    # Nothing more to learn from this run; whatever is left of it goes.
    return
  fi
  check "it is 1280x800 at (320,140)" becomes "320,140,1280x800"

  channel_open() { hear 240 && [ "$line" = open ]; }
  if check "the page channel of the launcher's process opens" channel_open; then
    ask 150 '{"op":"wait_ready","wait_ms":60000}'
    check "the page becomes ready (cefQuery in the main frame)" reply_is 'r.get("ok") is True and r.get("ready") is True'
    ask 150 '{"op":"query","request":"app:getram","wait_ms":60000}'
    check "app:getram is answered with success and one response" \
      reply_is 'r.get("state") == "success" and len(r.get("responses") or []) == 1'
    # The answer to the page's own close may be lost with the engine going away.
    ask 60 '{"op":"query","request":"win:close","wait_ms":10000}'
    case "$line" in "error the channel is not open" | "error writing"*) ;; *) close_sent=1 ;; esac
  fi

  # The end of the client's input: it waits for the launcher and tells its exit code.
  eval "exec ${client[1]}>&-"
  hear 120
  case "$line" in "exit "*) client_done=1 ;; esac
  # An end before win:close was sent says nothing about it.
  [ -n "$close_sent" ] || echo "  win:close never reached the launcher"
  closed_with_zero() { [ -n "$close_sent" ] && [ "$line" = "exit 0" ]; }
  check "the page's win:close ends it with exit code 0" closed_with_zero
}

# Whatever is left of a failed run: the client, and the launcher if the client
# did not see it end. Wine's server and services stay: started again, they
# take minutes under qemu, and COM's service is what start_rpcss keeps running.
clear_run() {
  kill "$client_pid" 2>/dev/null; wait "$client_pid" 2>/dev/null
  client_pid=
  [ -n "$client_done" ] && return
  pkill -KILL -f "$launcher_pattern"
  for _ in $(seq 50); do launcher_process || break; sleep 0.2; done
}

# Under qemu another run follows a failed one, up to three: a fault of the
# launcher shows every time, while the emulator fails a run now and then (qemu
# 7.2 hands Wine a fault it cannot resolve as trap -1; see start_rpcss for the
# case that met every run, or a run just hangs). The failed runs' checks and
# logs stay in the output.
runs=1
[ -n "$under_qemu" ] && runs=3
for run in $(seq "$runs"); do
  pass_before=$pass; fail_before=$fail
  run_launcher
  [ "$fail" -eq "$fail_before" ] || [ "$run" -eq "$runs" ] && break
  if [ "$(left 400)" -lt 240 ]; then
    echo "x86: no time left in the budget for another run"; break
  fi
  cp "$scratch/client.log" "$scratch/client-$run.log"
  echo "x86: run $run failed; the last lines of its log (all of it: $scratch/client-$run.log):"
  tail -n 20 "$scratch/client-$run.log" | sed 's/^/  | /'
  [ -s "$scratch/client-$run.log" ] || echo "  | (empty)"
  clear_run
  pass=$pass_before; fail=$fail_before
  echo "x86: run $((run + 1)) of $runs"
done
finish
