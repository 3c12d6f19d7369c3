# Sourced by the rig's scripts: the product's tree (build/win, 32-bit) under
# 32-bit Wine, in one prefix inside the build tree, quiet, without the Mono and
# Gecko installers (nothing here needs them).
#
# Hosts that cannot execute 32-bit Linux programs (no 32-bit user mode in their
# kernel or hypervisor) run 32-bit Wine through qemu-i386, which binfmt_misc
# starts for i386 ELF programs. `rig_enter <script> "$@"` at the top of a script
# makes that entry for the script and what it starts, and sets the traps that
# end what the rig started (rig_exit):
#  - in a binfmt_misc instance of a private user namespace where the kernel
#    has them (Linux 6.7 on): the script is started again inside it, with the
#    same process id, and no process outside sees the entry;
#  - else in the system's binfmt_misc, as root, removed on every way out;
#  - else it says what would enable it and ends the script: the rig never
#    tests another build instead.
# A script started by one that entered finds 32-bit Wine running and goes on.

rig_wine=/usr/lib/wine/wine
# Keeps a host that also has 64-bit Wine from making a 64-bit prefix.
export WINELOADER=$rig_wine
export WINEARCH=win32
unset WINESERVER
rig_prefix_name=wineprefix32
export WINEPREFIX="${WINEPREFIX:-$(cd "${1:-build}" && pwd)/$rig_prefix_name}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

rig_pids=()
rig_binfmt_entry=zlm-qemu-i386
rig_binfmt_dir=
rig_binfmt_mounted=

rig_wine32_runs() { "$rig_wine" --version >/dev/null 2>&1; }

# What runs 32-bit Wine here, for the log: "native", or qemu with its version
# and where its entry is.
rig_emulator() { echo "${ZLM_RIG_EMULATOR:-native}"; }
rig_under_qemu() { [ "$(rig_emulator)" != native ]; }

rig_find_qemu() {
  local q
  for q in qemu-i386-static qemu-i386; do
    command -v "$q" && return 0
  done
  return 1
}

# i386 ELF executables and shared objects (e_machine 3), as qemu registers
# them; F opens the emulator now, so it serves inside other mount namespaces.
rig_register() {  # binfmt_misc folder, qemu
  printf '%s' ":$rig_binfmt_entry:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$2:F" \
    >"$1/register"
}

rig_cannot() {
  echo "The Windows suites run the 32-bit product under 32-bit Wine, which cannot start on this host: $1" >&2
  echo "To enable it: $2" >&2
  exit 1
}

rig_enter() {  # the script's path and arguments, to start it again in a namespace
  local qemu system=/proc/sys/fs/binfmt_misc e magic
  # Whatever the rig starts from here on, and the entry, go on every way out.
  trap rig_exit EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  # Our entry in the system's binfmt_misc without a rig around it is left from
  # a run that was killed outright: it would pass for a native 32-bit mode.
  if [ -z "${ZLM_RIG_EMULATOR:-}" ] && [ -e "$system/$rig_binfmt_entry" ]; then
    echo "rig: removing $system/$rig_binfmt_entry, left by an earlier run"
    echo -1 >"$system/$rig_binfmt_entry" 2>/dev/null || true
  fi
  rig_wine32_runs && return 0

  if [ -n "${ZLM_RIG_PRIVATE_QEMU:-}" ]; then
    # Started again inside the private namespace: its own binfmt_misc instance.
    qemu=$ZLM_RIG_PRIVATE_QEMU
    unset ZLM_RIG_PRIVATE_QEMU
    rig_binfmt_dir=$(mktemp -d)
    mount -t binfmt_misc binfmt_misc "$rig_binfmt_dir" && rig_binfmt_mounted=1 &&
      rig_register "$rig_binfmt_dir" "$qemu" ||
      rig_cannot "the private binfmt_misc entry for $qemu could not be made" "run as root"
    export ZLM_RIG_EMULATOR="$($qemu --version | head -n 1), binfmt entry private to the rig"
  else
    qemu=$(rig_find_qemu) ||
      rig_cannot "no 32-bit user mode, and no qemu-i386" "apt-get install qemu-user-static (scripts/install-deps.sh does)"
    if unshare --user --map-root-user --mount sh -c \
         'd=$(mktemp -d) && mount -t binfmt_misc binfmt_misc "$d" && umount "$d"; r=$?; rmdir "$d"; exit $r' \
         >/dev/null 2>&1; then
      ZLM_RIG_PRIVATE_QEMU=$qemu exec unshare --user --map-root-user --mount -- bash "$@"
    fi
    [ "$(id -u)" -eq 0 ] ||
      rig_cannot "no 32-bit user mode; this kernel has no binfmt_misc of its own in a user namespace (Linux 6.7 on), and the system's needs root" \
        "run the same make command as root (for example: sudo make test)"
    rig_binfmt_dir=$system
    if [ ! -e "$system/register" ]; then
      mount -t binfmt_misc binfmt_misc "$system" 2>/dev/null ||
        rig_cannot "binfmt_misc is not mounted at $system and could not be mounted" \
          "modprobe binfmt_misc && mount -t binfmt_misc binfmt_misc $system"
      rig_binfmt_mounted=1
    fi
    # Anyone else's i386 entry stays, and we do not add a second one.
    for e in "$system"/*; do
      case "${e##*/}" in register | status) continue ;; esac
      magic=$(sed -n 's/^magic //p' "$e")
      if [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]; then
        rig_cannot "binfmt_misc has an i386 entry (${e##*/}) that is not ours, and 32-bit Wine still does not start" \
          "echo -1 > $e (or fix what it starts)"
      fi
    done
    rig_register "$system" "$qemu" ||
      rig_cannot "the entry $rig_binfmt_entry could not be registered in $system" "run as root"
    export ZLM_RIG_EMULATOR="$($qemu --version | head -n 1), binfmt entry $system/$rig_binfmt_entry while the rig runs"
  fi
  rig_wine32_runs || rig_cannot "32-bit Wine does not start even through $qemu" "check that wine32:i386 is installed"
  # Wine's error lines about faults, so that a failure that qemu caused is
  # told apart from the product's (rig_emulator_failed).
  export WINEDEBUG=-all,err+seh
}

# The first line of a log that shows qemu failing a process of Wine's: Wine
# then meets a fault as a trap number that no processor has. (qemu's own
# "uncaught target signal" is not one: a helper process of Wine's ends with it
# in runs that pass.)
rig_emulator_failed() {  # log
  rig_under_qemu && grep -a -m1 -E "Got unexpected trap|qemu: unhandled CPU exception|QEMU internal SIG" "$1"
}

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
  local arch
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >/dev/null 2>&1 &
  rig_wineserver_pid=$!
  rig_pids+=($!)
  # The first use of a prefix creates it; do that once, up front. Its
  # registry file is written later, whenever the server saves it, so the
  # prefix's machine is asked of Wine itself, not read from that file.
  arch=$("$rig_wine" cmd /c 'echo %PROCESSOR_ARCHITECTURE%/%PROCESSOR_ARCHITEW6432%' 2>/dev/null | tr -d '\r')
  if [ "$arch" != "x86/%PROCESSOR_ARCHITEW6432%" ]; then
    echo "$WINEPREFIX is not a 32-bit Wine prefix (Wine says $arch); remove it and run again" >&2
    return 1
  fi
  # Without a window manager, Wine waits about 2 s on every managed window it
  # destroys; unmanaged windows go at once.
  "$rig_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

rig_stop() {
  local pid
  # Ends every Wine process of our prefix (services, explorer, programs under
  # test); killing the server alone would leave them running without it.
  if [ -n "${rig_wineserver_pid:-}" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
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

# rig_stop, and the binfmt entry that rig_enter made goes.
rig_exit() {
  rig_stop
  [ -n "$rig_binfmt_dir" ] || return 0
  [ -e "$rig_binfmt_dir/$rig_binfmt_entry" ] && echo -1 >"$rig_binfmt_dir/$rig_binfmt_entry"
  [ -n "$rig_binfmt_mounted" ] && umount "$rig_binfmt_dir"
  [ "$rig_binfmt_dir" = /proc/sys/fs/binfmt_misc ] || rmdir "$rig_binfmt_dir" 2>/dev/null
  rig_binfmt_dir=
  return 0
}
