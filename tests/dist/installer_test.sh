#!/usr/bin/env bash
# The installer and the zip that scripts/make-dist.sh makes, checked from outside:
#  - the product package of build/win: a 32-bit GUI installer that needs no
#    administrator rights and carries the launcher's version; the zip's files;
#  - what a tree built with CEF_ROOT packs (a made-up tree with CEF's runtime);
#  - under Wine, in a fresh prefix of its own: silent installs to the default
#    folder and to a /D= folder with spaces, the installed launcher, upgrades
#    (over saved logins, while the launcher runs, while a file is held open),
#    uninstalls that keep or remove the saved logins, and a player who upgrades
#    while the launcher runs and lets setup close it.
# Hosts that cannot execute 32-bit programs install the 64-bit package of the
# same script (build/win64); the log says which package ran.
# Usage: installer_test.sh <build folder>. Uses $DISPLAY or starts an Xvfb.
# Closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
source scripts/pe-checks.sh
source scripts/wine-env.sh "$build"

version=$(sed -n 's/^#define ZLM_VERSION_STRING "\(.*\)"$/\1/p' "$build/win/generated/product_config.h")
scratch="$(cd "$build" && pwd)/dist-test"
rm -rf "$scratch"
mkdir -p "$scratch"

same_files() {  # a b: byte for byte
  cmp -s "$1" "$2" || { echo "  $2 differs from $1"; return 1; }
}
files_of() {  # folder: its files, relative, sorted
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort)
}
zip_files() {  # zip: its files, without the top folder
  unzip -Z1 "$1" | grep -v '/$' | sed 's|^Zelmora Launcher/||' | LC_ALL=C sort
}
same_list() {  # expected actual (newline-separated lists)
  [ "$1" = "$2" ] || { diff <(echo "$1") <(echo "$2") | sed 's/^/  /'; return 1; }
}

# --- The product package ------------------------------------------------------
product_setup="$build/dist/ZelmoraLauncherSetup-$version.exe"
product_zip="$build/dist/ZelmoraLauncher-$version-win32.zip"
echo "-- the product package, from $build/win"
if check "make-dist packs $build/win" scripts/make-dist.sh "$build/win" "$build/dist"; then
  check "the installer is a PE32 GUI program for Intel 80386" is_gui_x86 "$product_setup"
  manifest_as_invoker() {
    python3 tests/dist/win_files.py manifest "$1" | grep -q '<requestedExecutionLevel level="asInvoker"'
  }
  check "the installer's manifest requests no administrator rights (asInvoker)" \
    manifest_as_invoker "$product_setup"
  same_version() {
    local a b
    a=$(python3 tests/dist/win_files.py version "$1") && b=$(python3 tests/dist/win_files.py version "$2") &&
      [ "$a" = "$version.0" ] && [ "$b" = "$a" ] || { echo "  $1: $a, $2: $b, project: $version"; return 1; }
  }
  check "the installer's version is the launcher's ($version)" \
    same_version "$product_setup" "$build/win/ZelmoraLauncher.exe"
  check "the zip holds the launcher and its readme" \
    same_list "$(printf '%s\n' Readme.txt ZelmoraLauncher.exe)" "$(zip_files "$product_zip")"
  zip_exe_is_build() {
    unzip -p "$product_zip" "Zelmora Launcher/ZelmoraLauncher.exe" | cmp -s - "$build/win/ZelmoraLauncher.exe"
  }
  check "the zip's launcher is the one built" zip_exe_is_build
fi

# --- What a build with CEF_ROOT packs ----------------------------------------
# A tree as cmake/RealCef.cmake leaves it: the SDK's Release and Resources
# folders copied beside the executable, import libraries and helpers included.
echo "-- packing a tree built with CEF_ROOT (made up)"
cef_tree="$scratch/cef-tree"
mkdir -p "$cef_tree/generated" "$cef_tree/locales"
cp "$build/$rig_tree/ZelmoraLauncher.exe" "$cef_tree/"
cp "$build/win/generated/product_config.h" "$build/win/generated/launcher.ico" "$cef_tree/generated/"
echo "CEF_ROOT:PATH=/opt/cef_binary_3.2623_windows32" > "$cef_tree/CMakeCache.txt"
cef_runtime=(libcef.dll icudtl.dat natives_blob.bin snapshot_blob.bin cef.pak cef_100_percent.pak
  cef_200_percent.pak cef_extensions.pak devtools_resources.pak libEGL.dll libGLESv2.dll
  d3dcompiler_43.dll d3dcompiler_47.dll locales/en-US.pak locales/de.pak)
for f in "${cef_runtime[@]}" libcef.lib cef_sandbox.lib wow_helper.exe widevinecdmadapter.dll; do
  echo "$f" > "$cef_tree/$f"
done
cef_out="$scratch/cef-dist"
cef_expected=$(printf '%s\n' "${cef_runtime[@]}" Readme.txt ZelmoraLauncher.exe | LC_ALL=C sort)
if check "make-dist packs it" scripts/make-dist.sh "$cef_tree" "$cef_out"; then
  cef_zip=$(ls "$cef_out"/*.zip)
  # Kept for the Wine part: the next make-dist run is meant to fail.
  cp "$cef_out"/ZelmoraLauncherSetup-*.exe "$scratch/cef-setup.exe"
  check "its zip holds the launcher, CEF's runtime files and locales, and no import library or helper" \
    same_list "$cef_expected" "$(zip_files "$cef_zip")"
fi
rm "$cef_tree/snapshot_blob.bin"
refuses_incomplete() {
  local log="$scratch/cef-incomplete.log"
  ! scripts/make-dist.sh "$cef_tree" "$cef_out" >"$log" 2>&1 &&
    grep -q 'snapshot_blob.bin is missing' "$log" && [ -z "$(ls "$cef_out"/*.zip "$cef_out"/*.exe 2>/dev/null)" ] ||
    { sed 's/^/  /' "$log"; ls "$cef_out"; return 1; }
}
check "without snapshot_blob.bin it stops with the reason and leaves no package" refuses_incomplete

# --- Under Wine -----------------------------------------------------------------
if [ "$rig_tree" = win ]; then
  pkg_out="$build/dist"; pkg_flavour=win32
else
  pkg_out="$build/dist-win64"; pkg_flavour=win64
fi
echo "-- under Wine: the $pkg_flavour package of $build/$rig_tree" \
  "$([ "$rig_tree" = win ] || echo '(this host cannot execute 32-bit programs)')"
if [ "$rig_tree" != win ]; then
  check "make-dist packs $build/$rig_tree" scripts/make-dist.sh "$build/$rig_tree" "$pkg_out" || { finish; exit 1; }
fi
pkg_setup=$(ls "$pkg_out"/ZelmoraLauncherSetup-"$version"*.exe 2>/dev/null | head -n 1)
[ -n "$pkg_setup" ] || { echo "no $pkg_flavour installer to run"; finish; exit 1; }
pkg_stage="$pkg_out/work-$pkg_flavour/Zelmora Launcher"
package_files=$(files_of "$pkg_stage")

# A prefix made for this suite, and a home of its own: Wine links the
# prefix's Desktop to the host user's home, where the installer puts a shortcut.
export WINEPREFIX="$(cd "$build" && pwd)/$rig_prefix_name-dist"
export HOME="$scratch/home"
unset XDG_DESKTOP_DIR XDG_CONFIG_HOME XDG_DATA_HOME
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
mkdir -p "$HOME"

launcher_pid=
holder_pid=
cleanup() {
  [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
  rig_stop
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || rig_start_xvfb || { check "Xvfb starts" false; finish; exit 1; }
rig_start_wineserver

c_drive="$WINEPREFIX/drive_c"
unix_of() {  # a path on C: as this host sees it
  local p=${1#[Cc]:\\}
  printf '%s/%s' "$c_drive" "${p//\\//}"
}
win_env() { "$rig_wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
default_win="$(win_env LOCALAPPDATA)\\Programs\\Zelmora Launcher"
default_dir=$(unix_of "$default_win")
start_menu_lnk=$(unix_of "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Zelmora Launcher.lnk")
desktop_lnk=$(unix_of "$(win_env USERPROFILE)\\Desktop\\Zelmora Launcher.lnk")
uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelmoraLauncher'
mkdir -p "$c_drive/zlm-test/un"
cp "$pkg_setup" "$c_drive/zlm-test/setup.exe"

run_win() {  # one command line, exactly as written (a batch file keeps /D= unquoted); its exit code
  printf '@echo off\r\n%s\r\nexit /b %%ERRORLEVEL%%\r\n' "$1" >"$c_drive/zlm-test/run.bat"
  timeout 180 "$rig_wine" cmd /c 'C:\zlm-test\run.bat' </dev/null >/dev/null 2>&1
}
setup_exits() {  # code switches...: a silent run of the installer ends with that code
  local rc
  run_win "C:\\zlm-test\\setup.exe /S ${*:2}"; rc=$?
  [ "$rc" -eq "$1" ] || { echo "  setup exited with $rc, expected $1"; return 1; }
}
uninstall_exits() {  # code uninstaller folder switches...: a silent uninstall of folder ends with that code
  # Run as the uninstaller runs itself (a copy outside the folder, given the
  # folder with _?=), which also lets the caller wait for it and see its code.
  local rc
  cp "$2" "$c_drive/zlm-test/un/Uninstall.exe" || return 1
  run_win "C:\\zlm-test\\un\\Uninstall.exe /S ${*:4} _?=$3"; rc=$?
  [ "$rc" -eq "$1" ] || { echo "  the uninstaller exited with $rc, expected $1"; return 1; }
}
has_package_files() {  # folder: every packed file, as packed, and the uninstaller
  local f
  for f in $package_files; do same_files "$pkg_stage/$f" "$1/$f" || return 1; done
  [ -f "$1/Uninstall.exe" ] || { echo "  no Uninstall.exe"; return 1; }
}
no_program_files() {  # folder: nothing the installer wrote is left
  local f
  for f in $package_files Uninstall.exe; do
    [ ! -e "$1/$f" ] || { echo "  $f is still there"; return 1; }
  done
}
no_new_files() {  # folder: no file an install wrote under a waiting name
  local left; left=$(find "$1" -name '*.zlm-new' 2>/dev/null)
  [ -z "$left" ] || { echo "  left: $left"; return 1; }
}
snapshot() {  # folder: names, inodes, types, sizes, times and contents, the launcher's cache aside
  # A replaced file has a new inode even when its bytes and time are the same.
  (cd "$1" && find . -path ./cache -prune -o -mindepth 1 -printf '%P %i %y %s %T@\n' | LC_ALL=C sort &&
    find . -path ./cache -prune -o -type f -print0 | xargs -0 -r sha256sum | LC_ALL=C sort -k2)
}
unchanged_since() {  # snapshot folder
  same_list "$1" "$(snapshot "$2")"
}
entry=
read_entry() { entry=$("$rig_wine" reg query "$uninst_key" 2>/dev/null | tr -d '\r'); }
entry_is() {  # value expected
  local got; got=$(sed -n "s/^    $1    REG_[A-Z_]*    //p" <<<"$entry")
  [ "$got" = "$2" ] || { echo "  $1: '$got', expected '$2'"; return 1; }
}
no_entry() { ! "$rig_wine" reg query "$uninst_key" >/dev/null 2>&1; }
shortcut_to() {  # lnk exe folder (Windows paths)
  local info; info=$(python3 tests/dist/win_files.py lnk "$1") || return 1
  [ "$info" = "$2"$'\n'"$3" ] || { echo "  $1 -> $(echo $info)"; return 1; }
}
put_logins() {  # folder: saved logins, a store the launcher kept aside, the player's plug-in and a file of theirs
  mkdir -p "$1"
  head -c 1500 /dev/urandom >"$1/accounts.dat"
  head -c 700 /dev/urandom >"$1/accounts.dat.unreadable-1"
  head -c 4000 /dev/urandom >"$1/pepflashplayer.dll"
  echo "my notes" >"$1/notes.txt"
  rm -rf "$scratch/kept"; mkdir -p "$scratch/kept"
  cp "$1/accounts.dat" "$1/accounts.dat.unreadable-1" "$1/pepflashplayer.dll" "$1/notes.txt" "$scratch/kept/"
}
kept() {  # folder names...: each still there, byte for byte
  local f
  for f in "${@:2}"; do same_files "$scratch/kept/$f" "$1/$f" || return 1; done
}
launcher_window() {  # the launcher's main window is on the display within 30 s
  [ -n "$(timeout 30 xdotool search --sync --name '^Zelmora Launcher$' 2>/dev/null | head -n 1)" ]
}
start_launcher() {  # Windows path of the executable
  "$rig_wine" "$1" >/dev/null 2>&1 &
  launcher_pid=$!
}
stop_launcher() {
  kill "$launcher_pid" 2>/dev/null
  wait "$launcher_pid" 2>/dev/null
  launcher_pid=
}
runs() { kill -0 "$launcher_pid" 2>/dev/null || { echo "  the launcher is not running"; return 1; }; }

echo "-- packed from a tree built with CEF_ROOT: installed and uninstalled"
cef_win='C:\zlm-test\cef tree'
cef_dir=$(unix_of "$cef_win")
if [ -f "$scratch/cef-setup.exe" ]; then
  cp "$scratch/cef-setup.exe" "$c_drive/zlm-test/cef-setup.exe"
  cef_installs() {
    run_win "C:\\zlm-test\\cef-setup.exe /S /D=$cef_win" &&
      same_list "$(printf '%s\n' $cef_expected Uninstall.exe | LC_ALL=C sort)" "$(files_of "$cef_dir")"
  }
  cef_uninstalls() {
    uninstall_exits 0 "$cef_dir/Uninstall.exe" "$cef_win" &&
      { [ ! -e "$cef_dir" ] || { echo "  left:" $(cd "$cef_dir" && find .); return 1; }; }
  }
  check "its installer puts exactly those files into the folder" cef_installs &&
    check "its uninstaller removes them, locales and the folder" cef_uninstalls
fi

echo "-- silent install to a /D= folder setup cannot use"
check "setup /S /D=relative\\folder stops with exit code 2" setup_exits 2 '/D=relative\folder'
check "  ... and installs nowhere, not even into the default folder" \
  eval 'test ! -e "$default_dir" && no_entry'

echo "-- silent install to the default folder"
check "setup /S exits with 0" setup_exits 0
check "the packed files are in $default_win" has_package_files "$default_dir"
check "no file is left under a waiting name" no_new_files "$default_dir"
check "the Start-menu shortcut points at the installed launcher, in its folder" \
  shortcut_to "$start_menu_lnk" "$default_win\\ZelmoraLauncher.exe" "$default_win"
check "the desktop shortcut does too" \
  shortcut_to "$desktop_lnk" "$default_win\\ZelmoraLauncher.exe" "$default_win"
read_entry
check "the uninstall entry names the product and its version" \
  eval 'entry_is DisplayName "Zelmora Launcher" && entry_is DisplayVersion "$version"'
check "the uninstall entry points at the folder and its uninstaller" \
  eval 'entry_is InstallLocation "$default_win" &&
        entry_is UninstallString "\"$default_win\\Uninstall.exe\"" &&
        entry_is QuietUninstallString "\"$default_win\\Uninstall.exe\" /S"'
uninstaller_needs_no_admin() {
  case "$rig_tree" in
    win) is_gui_x86 "$1" ;;
    *) file -b "$1" | grep -q '^PE32+ executable (GUI) x86-64' ;;
  esac && python3 tests/dist/win_files.py manifest "$1" | grep -q '<requestedExecutionLevel level="asInvoker"'
}
check "the uninstaller it wrote is a GUI program that requests no administrator rights" \
  uninstaller_needs_no_admin "$default_dir/Uninstall.exe"
cp "$default_dir/Uninstall.exe" "$scratch/Uninstall.exe"

echo "-- the installed launcher"
start_launcher "$default_win\\ZelmoraLauncher.exe"
check "starts and shows its window" launcher_window
check "keeps its cache in the install folder" test -d "$default_dir/cache"

echo "-- silent upgrade and uninstall while the launcher runs"
before=$(snapshot "$default_dir")
check "setup /S stops with exit code 2" setup_exits 2
check "the folder is as it was, file for file" unchanged_since "$before" "$default_dir"
check "the launcher still runs" runs
check "a silent uninstall stops with exit code 2 too" \
  uninstall_exits 2 "$default_dir/Uninstall.exe" "$default_win"
check "  ... and leaves the folder as it was" unchanged_since "$before" "$default_dir"
stop_launcher

echo "-- silent upgrade over saved logins"
put_logins "$default_dir"
printf 'left by an earlier version' >>"$default_dir/ZelmoraLauncher.exe"
check "setup /S exits with 0" setup_exits 0
check "accounts.dat and the store kept aside are kept byte for byte" \
  kept "$default_dir" accounts.dat accounts.dat.unreadable-1
check "the player's pepflashplayer.dll and own file are kept" kept "$default_dir" pepflashplayer.dll notes.txt
check "every packed file is the new one" has_package_files "$default_dir"
check "no file is left under a waiting name" no_new_files "$default_dir"

echo "-- silent upgrade while another program holds a packed file open"
hold="$scratch/hold_file.exe"
case "$rig_tree" in
  win) cc=i686-w64-mingw32-gcc-posix ;;
  *) cc=x86_64-w64-mingw32-gcc-posix ;;
esac
if check "the holding program builds" "$cc" -municode -O2 -o "$hold" tests/dist/hold_file.c; then
  cp "$hold" "$c_drive/zlm-test/hold_file.exe"
  rm -f "$c_drive/zlm-test/held"
  # The executable is the last file to be replaced: all others would be new by then.
  "$rig_wine" 'C:\zlm-test\hold_file.exe' "$default_win\\ZelmoraLauncher.exe" 'C:\zlm-test\held' >/dev/null 2>&1 &
  holder_pid=$!
  holds() { for _ in $(seq 100); do [ -e "$c_drive/zlm-test/held" ] && return 0; sleep 0.1; done; return 1; }
  if check "it holds ZelmoraLauncher.exe open" holds; then
    before=$(snapshot "$default_dir")
    check "setup /S stops with exit code 2" setup_exits 2
    check "the folder is as it was, file for file (no new file left either)" \
      unchanged_since "$before" "$default_dir"
  fi
  kill "$holder_pid"; wait "$holder_pid" 2>/dev/null; holder_pid=
fi

echo "-- silent upgrade that cannot write one of its files (as on a full disk)"
# A folder where the new launcher would be written makes that write fail after
# the files before it were written.
mkdir "$default_dir/ZelmoraLauncher.exe.zlm-new"
before=$(snapshot "$default_dir")
check "setup /S stops with exit code 2" setup_exits 2
check "the folder is as it was, file for file (the files written before are gone)" \
  unchanged_since "$before" "$default_dir"
rmdir "$default_dir/ZelmoraLauncher.exe.zlm-new"

echo "-- silent upgrade after the player removed the desktop shortcut"
rm -f "$desktop_lnk"
check "setup /S exits with 0" setup_exits 0
check "the desktop shortcut stays removed" test ! -e "$desktop_lnk"
check "the Start-menu shortcut is there" test -f "$start_menu_lnk"

echo "-- silent uninstall"
# The cache as a browser leaves it, with a read-only file and a junction to a
# folder elsewhere, whose contents are not the uninstaller's to remove.
mkdir -p "$default_dir/cache/Cache/index-dir" "$c_drive/zlm-test/elsewhere"
echo data >"$default_dir/cache/Cache/index-dir/the-real-index"
echo locked >"$default_dir/cache/Cache/data_1"
chmod a-w "$default_dir/cache/Cache/data_1"
echo "not the cache's" >"$c_drive/zlm-test/elsewhere/precious.txt"
# Wine shows a host symbolic link as a folder junction.
ln -s "$c_drive/zlm-test/elsewhere" "$default_dir/cache/link"
check "Uninstall.exe /S exits with 0" uninstall_exits 0 "$default_dir/Uninstall.exe" "$default_win"
check "the program files and the uninstaller are gone" no_program_files "$default_dir"
# Wine cannot remove a host link with RemoveDirectoryW (it answers "folder not
# empty"), so under Wine the junction itself stays; Windows removes junctions so.
cache_emptied() {
  local left; left=$(cd "$default_dir" && find cache -mindepth 1 ! -path cache/link 2>/dev/null)
  [ -z "$left" ] || { echo "  left:" $left; return 1; }
}
check "the cache is gone (but for the junction, which Wine cannot remove)" cache_emptied
check "what the junction pointed to is untouched" test -f "$c_drive/zlm-test/elsewhere/precious.txt"
check "accounts.dat and the store kept aside are kept byte for byte" \
  kept "$default_dir" accounts.dat accounts.dat.unreadable-1
check "the player's pepflashplayer.dll and own file are kept" kept "$default_dir" pepflashplayer.dll notes.txt
check "the shortcuts are gone" eval 'test ! -e "$start_menu_lnk" && test ! -e "$desktop_lnk"'
check "the uninstall entry is gone" no_entry

echo "-- an uninstaller pointed at a folder that holds no install"
stray_win='C:\zlm-test\not installed'
stray_dir=$(unix_of "$stray_win")
mkdir -p "$stray_dir/cache"
echo "someone else's" >"$stray_dir/cache/file"
put_logins "$stray_dir"
check "Uninstall.exe /S _?=<that folder> stops with exit code 2" \
  uninstall_exits 2 "$scratch/Uninstall.exe" "$stray_win"
check "  ... and removes nothing" eval 'kept "$stray_dir" accounts.dat pepflashplayer.dll && test -f "$stray_dir/cache/file"'

echo "-- silent install to a /D= folder with spaces; uninstall that also removes the saved logins"
spaced_win='C:\zlm-test\My Games\Zelmora Launcher'
spaced_dir=$(unix_of "$spaced_win")
check "setup /S /D=$spaced_win exits with 0" setup_exits 0 "/D=$spaced_win"
check "the packed files are there" has_package_files "$spaced_dir"
read_entry
check "the uninstall entry points at that folder" entry_is InstallLocation "$spaced_win"
put_logins "$spaced_dir"
rm "$spaced_dir/pepflashplayer.dll" "$spaced_dir/notes.txt"
check "Uninstall.exe /S /REMOVELOGINS exits with 0" \
  uninstall_exits 0 "$spaced_dir/Uninstall.exe" "$spaced_win" /REMOVELOGINS
check "accounts.dat and the store kept aside are gone, and with them the folder" test ! -e "$spaced_dir"
check "the uninstall entry is gone" no_entry

echo "-- a player upgrades while the launcher runs, and lets setup close it"
# Last: the finish page starts a launcher that only the end of the prefix stops.
check "setup /S exits with 0" setup_exits 0
put_logins "$default_dir"
start_launcher "$default_win\\ZelmoraLauncher.exe"
if check "the launcher runs" launcher_window; then
  "$rig_wine" 'C:\zlm-test\setup.exe' >/dev/null 2>&1 &
  setup_pid=$!
  # Return takes every page's default: Next, Next, Install, OK to the question
  # about the running launcher, and Finish (with "Run" ticked).
  player_presses_return() {
    local wid
    wid=$(timeout 30 xdotool search --sync --name '^Zelmora Launcher Setup' 2>/dev/null | head -n 1)
    [ -n "$wid" ] || { echo "  no setup window"; return 1; }
    xdotool mousemove --window "$wid" 5 5 click 1
    for _ in $(seq 90); do
      kill -0 "$setup_pid" 2>/dev/null || return 0
      # A message box of setup carries its caption (the pages add a space to it).
      [ "$(xdotool search --name '^Zelmora Launcher Setup' 2>/dev/null | wc -l)" -gt 1 ] && asked=yes
      xdotool key Return
      sleep 1
    done
    echo "  setup still runs after 90 s"; return 1
  }
  closed_cleanly() {
    local rc
    wait "$launcher_pid"; rc=$?; launcher_pid=
    [ "$rc" -eq 0 ] || { echo "  the launcher exited with $rc"; return 1; }
  }
  setup_succeeded() {
    local rc
    wait "$setup_pid"; rc=$?
    [ "$rc" -eq 0 ] || { echo "  setup exited with $rc"; return 1; }
  }
  asked=no
  check "a player who accepts every page gets through setup" player_presses_return
  check "setup asked before it closed the launcher" test "$asked" = yes
  check "the launcher closed as its window was asked to, and ended with 0" closed_cleanly
  check "setup exits with 0" setup_succeeded
  check "the new files are in place" has_package_files "$default_dir"
  check "accounts.dat and the store kept aside are kept byte for byte" \
    kept "$default_dir" accounts.dat accounts.dat.unreadable-1
  check "the finish page starts the new launcher" launcher_window
fi

finish
