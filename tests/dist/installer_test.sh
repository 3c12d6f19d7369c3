#!/usr/bin/env bash
# The installer and the zip that scripts/make-dist.sh makes, checked from outside:
#  - what make-dist refuses: player packages without CEF_RUNTIME, or with a
#    runtime whose libcef.dll is the stand-in engine's, is built for another
#    machine, lacks functions the launcher imports, is no DLL, or is missing
#    files; test packages (--standin) whose libcef.dll is not the stand-in's;
#    None of them leaves a package;
#  - player packages of build/win with a made-up CEF 3.2623 runtime (a folder
#    laid out like a binary distribution, whose libcef.dll is a small DLL that
#    exports what the launcher imports): their names, a 32-bit GUI installer
#    that needs no administrator rights and carries the launcher's version, and
#    the zip's files, the runtime's beside the launcher;
#  - test packages with the stand-in engine: their -standin names, the
#    stand-in's libcef.dll and the readme's notice;
#  - signing: player packages made without an identity say so and carry no
#    signature; the test packages are signed with a throw-away identity made
#    here (setup, the launcher, and the uninstaller that setup writes), their
#    signatures verify against its certificate and fail after a changed byte,
#    and an identity that cannot be used stops the build;
#  - under Wine, in a fresh prefix of its own, with the -standin packages: a package with a runtime folder's files and locales
#    installed and uninstalled; silent installs to the default folder and to a
#    /D= folder with spaces, the installed launcher, upgrades (over saved
#    logins, while the launcher runs, while a file is held open, one whose
#    move of a new file fails half-way and is undone, after an update that was
#    cut off and left its backups), uninstalls
#    that keep or remove the saved logins, one setup or uninstall at a time
#    per folder (second runs, silent, with pages, through a junction or the
#    directory page, while a first setup waits in its commit or before it or
#    an uninstaller shows its first page; a killed setup leaves no guard),
#    and a player who upgrades while the launcher runs and lets setup close it,
#    having read the welcome page that says the package holds a test engine.
# Usage: installer_test.sh <build folder>. Uses $DISPLAY or starts an Xvfb.
# Closes with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
source scripts/pe-checks.sh
source scripts/wine-env.sh "$build"
rig_enter tests/dist/installer_test.sh "$@"
# Every make-dist run below names its runtime itself.
unset CEF_RUNTIME

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
zip_file() {  # zip name: the packed file's bytes
  unzip -p "$1" "Zelmora Launcher/$2"
}
same_list() {  # expected actual (newline-separated lists)
  [ "$1" = "$2" ] || { diff <(echo "$1") <(echo "$2") | sed 's/^/  /'; return 1; }
}
packages_in() {  # folder: the packages in it
  find "$1" -maxdepth 1 \( -name '*.exe' -o -name '*.zip' \) -printf '%f\n' 2>/dev/null | LC_ALL=C sort
}
manifest_as_invoker() {
  python3 tests/dist/win_files.py manifest "$1" | grep -q '<requestedExecutionLevel level="asInvoker"'
}
readme_notice='TEST PACKAGE - NOT FOR PLAYERS'
readme_says_test() {  # zip: its readme opens with the notice of a test package
  local first; first=$(zip_file "$1" Readme.txt | head -n 1 | tr -d '\r')
  [ "$first" = "$readme_notice" ] || { echo "  the readme begins: $first"; return 1; }
}

# --- Made-up CEF runtimes --------------------------------------------------------
# Folders laid out like an unpacked CEF 3.2623 binary distribution. Only
# libcef.dll is a real PE file: a small DLL exporting what the 32-bit launcher
# imports from libcef.dll (CEF's own library has no zlm_standin_engine), or the
# stand-in's, or one that is wrong in one way.
cc32=i686-w64-mingw32-gcc-posix
cc64=x86_64-w64-mingw32-gcc-posix
exe32="$build/win/ZelmoraLauncher.exe"
runtime_release=(natives_blob.bin snapshot_blob.bin d3dcompiler_43.dll d3dcompiler_47.dll libEGL.dll libGLESv2.dll)
runtime_resources=(icudtl.dat cef.pak cef_100_percent.pak cef_200_percent.pak cef_extensions.pak
  devtools_resources.pak locales/en-US.pak locales/de.pak)
runtime_expected=$(printf '%s\n' libcef.dll "${runtime_release[@]}" "${runtime_resources[@]}" \
  Readme.txt ZelmoraLauncher.exe | LC_ALL=C sort)
left_out=$(functions_imported_from "$exe32" libcef.dll | tail -n 1)
fixtures="$scratch/fixtures"
mkdir -p "$fixtures"

stub_engine() {  # compiler dll [function left out] [object]: exports what the launcher imports
  functions_imported_from "$exe32" libcef.dll | grep -vx "${3:-}" | sed 's/.*/void &(void) {}/' >"$2.c" &&
    "$1" -shared -o "$2" "$2.c" ${4:+"$4"}
}
described_as_standin() {  # object: a version resource describing the DLL as the stand-in
  printf '%s\n' '1 VERSIONINFO' 'FILEVERSION 3,2623,1401,0' 'BEGIN' '  BLOCK "StringFileInfo"' '  BEGIN' \
    '    BLOCK "040904B0"' '    BEGIN' \
    '      VALUE "FileDescription", "Stand-in CEF engine (no web renderer), for tests"' \
    '    END' '  END' 'END' >"$1.rc" &&
    i686-w64-mingw32-windres "$1.rc" -o "$1"
}
make_runtime() {  # folder libcef.dll: a distribution around that libcef.dll
  local f
  mkdir -p "$1/Release" "$1/Resources/locales" "$1/include" || return 1
  cp "$2" "$1/Release/libcef.dll" || return 1
  # What a distribution holds and a package leaves out.
  for f in "${runtime_release[@]}" libcef.lib cef_sandbox.lib wow_helper.exe widevinecdmadapter.dll; do
    echo "Release/$f" >"$1/Release/$f"
  done
  for f in "${runtime_resources[@]}"; do echo "Resources/$f" >"$1/Resources/$f"; done
  echo "the distribution's readme" >"$1/README.txt"
  echo "// a header" >"$1/include/cef_app.h"
}
make_fixtures() {
  stub_engine "$cc32" "$fixtures/real32.dll" &&
    stub_engine "$cc64" "$fixtures/real64.dll" &&
    stub_engine "$cc32" "$fixtures/lacking32.dll" "$left_out" &&
    described_as_standin "$fixtures/described.o" &&
    stub_engine "$cc32" "$fixtures/described32.dll" "" "$fixtures/described.o" &&
    echo "not a DLL" >"$fixtures/text.dll" &&
    make_runtime "$scratch/cef-real" "$fixtures/real32.dll" &&
    make_runtime "$scratch/cef-standin" "$build/win/libcef.dll" &&
    make_runtime "$scratch/cef-described" "$fixtures/described32.dll" &&
    make_runtime "$scratch/cef-x64" "$fixtures/real64.dll" &&
    make_runtime "$scratch/cef-lacking" "$fixtures/lacking32.dll" &&
    make_runtime "$scratch/cef-text" "$fixtures/text.dll" &&
    # A tree like build/win, but with CEF's libcef.dll beside the launcher.
    mkdir -p "$scratch/tree-real/generated" &&
    cp "$exe32" "$scratch/tree-real/" && cp "$fixtures/real32.dll" "$scratch/tree-real/libcef.dll" &&
    cp "$build/win/generated/product_config.h" "$build/win/generated/launcher.ico" "$scratch/tree-real/generated/"
}
echo "-- made-up CEF runtimes"
check "the made-up runtimes and their libcef.dll files build" make_fixtures
check "  ... and the stand-in-free one serves the launcher, without the stand-in's export" \
  eval 'dll_serves "$exe32" "$fixtures/real32.dll" && ! is_standin_engine "$fixtures/real32.dll"'

# --- A throw-away code-signing identity ---------------------------------------------
# Made for this run: a self-signed code-signing certificate whose key has a
# password, as a PKCS#12 file and as PEM files.
sign_dir="$scratch/signing"
sign_password="zlm-test-$$"
make_identity() {
  mkdir -p "$sign_dir" &&
    openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Zelmora Launcher test signing" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -keyout "$sign_dir/key.pem" -out "$sign_dir/cert.pem" -passout "pass:$sign_password" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$sign_dir/key.pem" -in "$sign_dir/cert.pem" \
      -out "$sign_dir/identity.p12" -passin "pass:$sign_password" -passout "pass:$sign_password"
}
echo "-- a throw-away signing identity"
check "openssl makes a code-signing certificate, its key and a PKCS#12 file of both" make_identity
signed_by_test_identity() {  # file: an Authenticode signature that verifies against that certificate
  osslsigncode verify -CAfile "$sign_dir/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 ||
    { echo "  $1:"; tail -n 4 "$scratch/verify.log" | sed 's/^/    /'; return 1; }
}
has_no_signature() {  # file: its PE security directory is empty
  x86_64-w64-mingw32-objdump -p "$1" | awk '/Security Directory/ {found = 1; empty = ($3 == "00000000")}
    END {exit !(found && empty)}' || { echo "  $1 carries a signature"; return 1; }
}
tampered_fails() {  # file: one byte changed in its code, the signature no longer verifies
  local copy="$scratch/tampered.exe"
  cp "$1" "$copy" && printf '\x5a' | dd of="$copy" bs=1 seek=4096 conv=notrunc 2>/dev/null &&
    ! cmp -s "$1" "$copy" && ! osslsigncode verify -CAfile "$sign_dir/cert.pem" -in "$copy" >/dev/null 2>&1
}
signed_like() {  # signed built: the signed file is the built one with a signature added, nothing else
  python3 tests/dist/win_files.py signed-from "$1" "$2" >/dev/null
}

# --- What make-dist refuses ----------------------------------------------------
# description | --standin or not | CEF_RUNTIME | tree | what the refusal says (an ERE over its lines)
refusals=(
  "player packages without CEF_RUNTIME|||$build/win|need a real CEF 3\.2623 runtime: CEF_RUNTIME=<[^>]*> make dist .*make dist-standin"
  "a CEF_RUNTIME that is no folder||$scratch/nowhere|$build/win|CEF_RUNTIME=$scratch/nowhere has no Release/ and Resources/"
  "a runtime whose libcef.dll is the stand-in's||$scratch/cef-standin|$build/win|cef-standin/Release/libcef.dll is the stand-in engine \(no web renderer\), not CEF's"
  "a runtime whose libcef.dll describes itself as the stand-in, without its export||$scratch/cef-described|$build/win|cef-described/Release/libcef.dll is the stand-in engine"
  "a runtime whose libcef.dll is built for x86-64||$scratch/cef-x64|$build/win|libcef.dll is built for x86-64, but .* for i386"
  "a runtime whose libcef.dll lacks a function the launcher imports||$scratch/cef-lacking|$build/win|libcef.dll lacks 1 of the functions the launcher imports from libcef.dll \($left_out\)"
  "a runtime whose libcef.dll is no DLL||$scratch/cef-text|$build/win|cef-text/Release/libcef.dll is not a Windows DLL"
  "test packages with a runtime of CEF's own|--standin|$scratch/cef-real|$build/win|cef-real/Release/libcef.dll is not the stand-in engine .*unset CEF_RUNTIME"
  "test packages of a tree whose libcef.dll is not the stand-in's|--standin||$scratch/tree-real|tree-real/libcef.dll is not the stand-in engine \(it does not export zlm_standin_engine\)"
)
refused() {  # --standin-or-empty runtime tree pattern: make-dist fails, says why, leaves no package
  local out="$scratch/refused" log="$scratch/refused.log"
  rm -rf "$out"; mkdir -p "$out"
  if CEF_RUNTIME=$2 scripts/make-dist.sh $1 "$3" "$out" >"$log" 2>&1; then
    echo "  make-dist succeeded"; return 1
  fi
  tr '\n' ' ' <"$log" | grep -Eq -- "$4" || { echo "  it said:"; sed 's/^/    /' "$log"; return 1; }
  [ -z "$(packages_in "$out")" ] || { echo "  it left: $(packages_in "$out")"; return 1; }
}
echo "-- what make-dist refuses (non-zero exit, the reason, no package)"
for row in "${refusals[@]}"; do
  IFS='|' read -r what mode runtime tree says <<<"$row"
  check "$what" refused "$mode" "$runtime" "$tree" "$says"
done

# --- Player packages --------------------------------------------------------------
player_out="$scratch/player"
product_setup="$player_out/ZelmoraLauncherSetup-$version.exe"
product_zip="$player_out/ZelmoraLauncher-$version-win32.zip"
echo "-- player packages of $build/win, with the made-up runtime"
player_log="$scratch/player.log"
if check "make-dist packs $build/win with CEF_RUNTIME" \
     eval 'env CEF_RUNTIME="$scratch/cef-real" scripts/make-dist.sh "$build/win" "$player_out" >"$player_log" 2>&1 ||
       { sed "s/^/  /" "$player_log"; false; }'; then
  check "without a signing identity it says, in one line, that the packages are unsigned" \
    eval '[ "$(grep -c "the packages are unsigned" "$player_log")" = 1 ]'
  check "  ... and they are: the installer and the zip's launcher carry no signature" \
    eval 'has_no_signature "$product_setup" &&
      zip_file "$product_zip" ZelmoraLauncher.exe >"$scratch/zip-launcher.exe" && has_no_signature "$scratch/zip-launcher.exe"'

  check "it writes ZelmoraLauncherSetup-$version.exe and ZelmoraLauncher-$version-win32.zip" \
    same_list "$(printf '%s\n' "$(basename "$product_zip")" "$(basename "$product_setup")" | LC_ALL=C sort)" \
    "$(packages_in "$player_out")"
  check "the installer is a PE32 GUI program for Intel 80386" is_gui_x86 "$product_setup"
  check "the installer's manifest requests no administrator rights (asInvoker)" \
    manifest_as_invoker "$product_setup"
  same_version() {
    local a b
    a=$(python3 tests/dist/win_files.py version "$1") && b=$(python3 tests/dist/win_files.py version "$2") &&
      [ "$a" = "$version.0" ] && [ "$b" = "$a" ] || { echo "  $1: $a, $2: $b, project: $version"; return 1; }
  }
  check "the installer's version is the launcher's ($version)" same_version "$product_setup" "$exe32"
  check "the zip holds the launcher, its readme, the runtime's files and locales beside it, and no import library, helper or other file of the distribution" \
    same_list "$runtime_expected" "$(zip_files "$product_zip")"
  zip_as_built() {  # each packed file is the one built or the runtime's
    local f
    zip_file "$product_zip" ZelmoraLauncher.exe | cmp -s - "$exe32" || { echo "  ZelmoraLauncher.exe differs"; return 1; }
    zip_file "$product_zip" libcef.dll | cmp -s - "$scratch/cef-real/Release/libcef.dll" ||
      { echo "  libcef.dll is not the runtime's"; return 1; }
    for f in "${runtime_release[@]}"; do
      zip_file "$product_zip" "$f" | cmp -s - "$scratch/cef-real/Release/$f" || { echo "  $f differs"; return 1; }
    done
    for f in "${runtime_resources[@]}"; do
      zip_file "$product_zip" "$f" | cmp -s - "$scratch/cef-real/Resources/$f" || { echo "  $f differs"; return 1; }
    done
  }
  check "the zip's launcher is the one built, and its runtime files (libcef.dll first) the runtime's" zip_as_built
  readme_for_players() {
    local text; text=$(zip_file "$product_zip" Readme.txt)
    grep -q pepflashplayer.dll <<<"$text" && ! grep -q "$readme_notice" <<<"$text" ||
      { echo "  the readme begins: $(head -n 1 <<<"$text")"; return 1; }
  }
  check "its readme is the one for players, without the test notice" readme_for_players
fi
rm -f "$scratch/cef-real/Release/snapshot_blob.bin"
refuses_incomplete() {
  local log="$scratch/incomplete.log"
  ! env CEF_RUNTIME="$scratch/cef-real" scripts/make-dist.sh "$build/win" "$player_out" >"$log" 2>&1 &&
    grep -q 'cef-real/Release/snapshot_blob.bin is missing' "$log" && [ -z "$(packages_in "$player_out")" ] ||
    { sed 's/^/  /' "$log"; packages_in "$player_out"; return 1; }
}
check "a runtime without snapshot_blob.bin: it stops with the reason and leaves no package (not even the earlier one)" \
  refuses_incomplete
# A package of the product's names around a made-up engine is not to be left about.
rm -rf "$player_out"

# --- Test packages with the stand-in engine ----------------------------------------
out="$scratch/standin-win"
setup_name="ZelmoraLauncherSetup-$version-standin.exe"
zip_name="ZelmoraLauncher-$version-win32-standin.zip"
echo "-- test packages of $build/win"
# Signed with the throw-away identity: every later check, and the whole run
# under Wine, is on signed packages.
standin_log="$scratch/standin.log"
if check "make-dist --standin packs $build/win, signed with the PKCS#12 identity" \
     eval 'SIGN_PKCS12="$sign_dir/identity.p12" SIGN_PASSWORD="$sign_password" \
       scripts/make-dist.sh --standin "$build/win" "$out" >"$standin_log" 2>&1 || { sed "s/^/  /" "$standin_log"; false; }'; then
  zip_file "$out/$zip_name" ZelmoraLauncher.exe >"$scratch/signed-launcher.exe"
  check "the installer and the zip's launcher are signed, and their signatures verify against the certificate" \
    eval 'signed_by_test_identity "$out/$setup_name" && signed_by_test_identity "$scratch/signed-launcher.exe"'
  check "  ... the launcher is the one built with a signature added, and the password is on no command line it printed" \
    eval 'signed_like "$scratch/signed-launcher.exe" "$build/win/ZelmoraLauncher.exe" && ! grep -q "$sign_password" "$standin_log"'
  check "  ... and a byte changed afterwards makes each fail" \
    eval 'tampered_fails "$out/$setup_name" && tampered_fails "$scratch/signed-launcher.exe"'

  check "it writes $setup_name and $zip_name" \
    same_list "$(printf '%s\n' "$setup_name" "$zip_name" | LC_ALL=C sort)" "$(packages_in "$out")"
  check "the installer is a 32-bit GUI program that requests no administrator rights" \
    eval 'is_gui_x86 "$out/$setup_name" && manifest_as_invoker "$out/$setup_name"'
  check "the zip holds the launcher, the stand-in libcef.dll and the readme" \
    eval 'same_list "$(printf "%s\n" Readme.txt ZelmoraLauncher.exe libcef.dll | LC_ALL=C sort)" "$(zip_files "$out/$zip_name")" &&
      zip_file "$out/$zip_name" libcef.dll | cmp -s - "$build/win/libcef.dll"'
  check "its readme opens with the notice that it is a test package" readme_says_test "$out/$zip_name"
fi
signs_with_key_pair() {  # the certificate and key as PEM files sign as well
  cp "$build/win/ZelmoraLauncher.exe" "$scratch/pair.exe" &&
    SIGN_CERT="$sign_dir/cert.pem" SIGN_KEY="$sign_dir/key.pem" SIGN_PASSWORD="$sign_password" \
      scripts/sign-file.sh "$scratch/pair.exe" && signed_by_test_identity "$scratch/pair.exe"
}
check "a certificate and key given as PEM files (SIGN_CERT, SIGN_KEY) sign too" signs_with_key_pair
refuses_identity() {  # what-it-says env...: make-dist stops with that reason and leaves no package
  local dest="$scratch/refused-signing" log="$scratch/refused-signing.log"
  rm -rf "$dest"
  if env "${@:2}" scripts/make-dist.sh --standin "$build/win" "$dest" >"$log" 2>&1; then
    echo "  make-dist succeeded"; return 1
  fi
  grep -q -- "$1" "$log" || { sed 's/^/  /' "$log"; return 1; }
  [ -z "$(packages_in "$dest")" ] || { echo "  it left: $(packages_in "$dest")"; return 1; }
}
check "an identity file that is not there stops the build, before it packs anything unsigned" \
  refuses_identity "SIGN_PKCS12=$scratch/nowhere.p12 is no file" SIGN_PKCS12="$scratch/nowhere.p12"
check "a wrong password stops it too, with no package" \
  refuses_identity "could not sign" SIGN_PKCS12="$sign_dir/identity.p12" SIGN_PASSWORD=wrong

echo "-- a test package of a runtime folder with the stand-in's libcef.dll"
runtime_out="$scratch/standin-runtime"
if check "make-dist --standin packs it" \
     env CEF_RUNTIME="$scratch/cef-standin" scripts/make-dist.sh --standin "$build/win" "$runtime_out"; then
  runtime_zip=$(ls "$runtime_out"/*-standin.zip)
  cp "$runtime_out"/ZelmoraLauncherSetup-*-standin.exe "$scratch/cef-setup.exe"
  check "its zip holds the launcher, the runtime's files and locales, and no import library or helper" \
    same_list "$runtime_expected" "$(zip_files "$runtime_zip")"
fi

# --- Under Wine -----------------------------------------------------------------
pkg_out="$scratch/standin-win"
pkg_flavour=win32
echo "-- under Wine: the $pkg_flavour -standin package of $build/win"
pkg_setup=$(ls "$pkg_out"/ZelmoraLauncherSetup-"$version"*-standin.exe 2>/dev/null | head -n 1)
[ -n "$pkg_setup" ] || { echo "no $pkg_flavour installer to run"; finish; exit 1; }
pkg_stage="$pkg_out/work-$pkg_flavour-standin/Zelmora Launcher"
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
first_pid=
cleanup() {
  [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
  [ -n "$first_pid" ] && kill "$first_pid" 2>/dev/null
  rig_exit
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

batch() {  # name command-line: C:\zlm-test\<name>.bat runs it exactly as written (unquoted /D= and _?=) and ends with its code
  printf '@echo off\r\n%s\r\nexit /b %%ERRORLEVEL%%\r\n' "$2" >"$c_drive/zlm-test/$1.bat"
}
run_win() {  # one command line: its exit code
  batch run "$1"
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
no_backups() {  # folder: no old file kept aside by an update, and no mark of a finished one
  local left; left=$(find "$1" -name '*.zlm-old-*' -o -name '*.zlm-done' 2>/dev/null)
  [ -z "$left" ] || { echo "  left: $left"; return 1; }
}
snapshot() {  # folder [file left out]: names, inodes, types, sizes, times and contents, the launcher's cache aside
  # A replaced file has a new inode even when its bytes and time are the same.
  local aside=(-path ./cache)
  [ -z "${2:-}" ] || aside+=(-o -path "./$2")
  (cd "$1" && find . \( "${aside[@]}" \) -prune -o -mindepth 1 -printf '%P %i %y %s %T@\n' | LC_ALL=C sort &&
    find . \( "${aside[@]}" \) -prune -o -type f -print0 | xargs -0 -r sha256sum | LC_ALL=C sort -k2)
}
unchanged_since() {  # snapshot folder [file left out]
  same_list "$1" "$(snapshot "$2" "${3:-}")"
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
# What windows say, read from their controls as a player reads them (window_text.exe).
shown=
window_says() {  # title-prefix words: a window whose title begins so shows the words
  shown=$("$rig_wine" 'C:\zlm-test\window_text.exe' "$1" 2>/dev/null | tr -d '\r')
  grep -qF -- "$2" <<<"$shown"
}
comes_to_say() {  # title-prefix words: ... within 30 s
  local _
  for _ in $(seq 30); do window_says "$1" "$2" && return 0; sleep 1; done
  echo "  its windows say:"; sed 's/^/    /' <<<"$shown"; return 1
}

echo "-- the test package of a runtime folder: installed and uninstalled"
cef_win='C:\zlm-test\cef tree'
cef_dir=$(unix_of "$cef_win")
if [ -f "$scratch/cef-setup.exe" ]; then
  cp "$scratch/cef-setup.exe" "$c_drive/zlm-test/cef-setup.exe"
  cef_installs() {
    run_win "C:\\zlm-test\\cef-setup.exe /S /D=$cef_win" &&
      same_list "$(printf '%s\n' $runtime_expected Uninstall.exe | LC_ALL=C sort)" "$(files_of "$cef_dir")"
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
  is_gui_x86 "$1" && python3 tests/dist/win_files.py manifest "$1" | grep -q '<requestedExecutionLevel level="asInvoker"'
}
check "the uninstaller it wrote is a GUI program that requests no administrator rights" \
  uninstaller_needs_no_admin "$default_dir/Uninstall.exe"
check "the launcher and the uninstaller that setup wrote are signed" \
  eval 'signed_by_test_identity "$default_dir/ZelmoraLauncher.exe" && signed_by_test_identity "$default_dir/Uninstall.exe"'
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
check "no backup of a replaced file is left" no_backups "$default_dir"

echo "-- silent upgrade while another program holds a packed file open"
hold="$scratch/hold_file.exe"
cc=$cc32
hold() {  # file-in-the-install-folder [write]: held open by another program until release
  rm -f "$c_drive/zlm-test/held"
  "$rig_wine" 'C:\zlm-test\hold_file.exe' "$default_win\\$1" 'C:\zlm-test\held' ${2:-} >/dev/null 2>&1 &
  holder_pid=$!
  local _
  for _ in $(seq 100); do [ -e "$c_drive/zlm-test/held" ] && return 0; sleep 0.1; done
  echo "  the hold did not begin"; return 1
}
release() { kill "$holder_pid" 2>/dev/null; wait "$holder_pid" 2>/dev/null; holder_pid=; }
held_ok=no
reader_ok=no
if check "the window reader builds" "$cc" -municode -O2 -o "$scratch/window_text.exe" tests/dist/window_text.c; then
  reader_ok=yes
  cp "$scratch/window_text.exe" "$c_drive/zlm-test/window_text.exe"
fi
if check "the holding program builds" "$cc" -municode -O2 -o "$hold" tests/dist/hold_file.c; then
  held_ok=yes
  cp "$hold" "$c_drive/zlm-test/hold_file.exe"
  # The executable is the last file to be replaced: all others would be new by then.
  if check "it holds ZelmoraLauncher.exe open" hold ZelmoraLauncher.exe; then
    before=$(snapshot "$default_dir")
    check "setup /S stops with exit code 2" setup_exits 2
    check "the folder is as it was, file for file (no new file left either)" \
      unchanged_since "$before" "$default_dir"
  fi
  release
fi

echo "-- silent upgrade whose move of a new file into place fails half-way through"
# A program that reads the waiting launcher, as a virus scanner reads a file
# just written, lets setup write it but not move it; Readme.txt, before it, is
# new by then. The waiting file is left out of the comparison: setup writes it
# and cannot remove it while it is held.
if [ "$held_ok" = yes ]; then
  # Files of an earlier version: each differs from the package's.
  for f in $package_files Uninstall.exe; do printf 'an earlier version' >>"$default_dir/$f"; done
  printf 'left by a cut-off setup' >"$default_dir/ZelmoraLauncher.exe.zlm-new"
  if check "a program holds ZelmoraLauncher.exe.zlm-new open, for reading and others' writes" \
       hold ZelmoraLauncher.exe.zlm-new write; then
    before=$(snapshot "$default_dir" ZelmoraLauncher.exe.zlm-new)
    check "setup /S stops with exit code 3 (the update failed and was undone)" setup_exits 3
    check "every file of the earlier install is as it was, byte for byte, and no other is there" \
      unchanged_since "$before" "$default_dir" ZelmoraLauncher.exe.zlm-new
    check "no backup is left" no_backups "$default_dir"
  fi
  release
  rm -f "$default_dir/ZelmoraLauncher.exe.zlm-new"
fi

echo "-- setup after an update that was cut off (power loss) and left its backups"
# An update moves each old file to <name>.zlm-old-<attempt> before it moves the
# new ones in, and marks the attempt zlm-update-<attempt>.zlm-done once all are
# in place. Setup first puts an unmarked attempt's backups back and drops a
# marked one's; a held Uninstall.exe then stops it before it replaces anything.
cut_off_unmarked() {  # cut off with libcef.dll replaced, Readme.txt moved aside and not yet replaced
  mv "$default_dir/libcef.dll" "$default_dir/libcef.dll.zlm-old-1f2e"
  printf 'the new engine, half of it' >"$default_dir/libcef.dll"
  mv "$default_dir/Readme.txt" "$default_dir/Readme.txt.zlm-old-1f2e"
  printf 'waiting' >"$default_dir/Readme.txt.zlm-new"
}
cut_off_marked() {  # cut off while the backups of a finished update were removed
  printf 'an older engine' >"$default_dir/libcef.dll.zlm-old-7c"
  printf 'older readme' >"$default_dir/Readme.txt.zlm-old-7c"
  : >"$default_dir/zlm-update-7c.zlm-done"
}
# what is left | how it was cut off
cut_offs=(
  "an unmarked attempt: the old files are put back in place, byte for byte|cut_off_unmarked"
  "a marked attempt: its backups and mark are removed, the new files kept|cut_off_marked"
)
if [ "$held_ok" = yes ]; then
  for row in "${cut_offs[@]}"; do
    IFS='|' read -r what cut_off <<<"$row"
    before=$(snapshot "$default_dir")
    "$cut_off"
    if hold Uninstall.exe; then
      check "$what" eval 'setup_exits 2 && unchanged_since "$before" "$default_dir"'
    fi
    release
  done
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

echo "-- one setup or uninstall at a time per folder"
# A first run, with its pages, stops at a question in the middle of its work
# while a second run of the same folder starts. Without the guard, a second
# setup takes the first one's backups for those of a cut-off update and moves
# them back over the files the first has already replaced, and a second
# uninstaller removes the files the first is putting in place.
go_on_until() {  # pid title words: presses Return in that program's pages until a window of that title says the words
  local _ wid
  wid=$(timeout 30 xdotool search --sync --name "^$2" 2>/dev/null | head -n 1)
  [ -n "$wid" ] || { echo "  no window of $2"; return 1; }
  xdotool mousemove --window "$wid" 5 5 click 1
  for _ in $(seq 60); do
    window_says "$2" "$3" && return 0
    kill -0 "$1" 2>/dev/null || { echo "  it ended before it said: $3"; return 1; }
    xdotool key Return
    sleep 1
  done
  echo "  its windows say:"; sed 's/^/    /' <<<"$shown"; return 1
}
answer() {  # pid title key words: the key, pressed in that program's message box (it has the bare title) until the words are gone
  local _ box
  for _ in $(seq 5); do
    box=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -n 1)
    [ -n "$box" ] || { echo "  no question of $2 is shown"; return 1; }
    # A click beside its icon gives the box the focus (one on its caption
    # would begin a move, which takes the key).
    xdotool mousemove --window "$box" 8 80 click 1 sleep 0.5 key "$3"
    sleep 3
    kill -0 "$1" 2>/dev/null && window_says "$2" "$4" || return 0
  done
  echo "  the question is still shown"; return 1
}
ended_with() {  # pid code: the program ends, within 60 s, with that code
  local _ rc
  for _ in $(seq 60); do kill -0 "$1" 2>/dev/null || break; sleep 1; done
  kill -0 "$1" 2>/dev/null && { echo "  it still runs"; return 1; }
  wait "$1"; rc=$?
  [ "$1" != "$first_pid" ] || first_pid=
  [ "$rc" -eq "$2" ] || { echo "  it ended with $rc, expected $2"; return 1; }
}
start_setup_with_pages() { "$rig_wine" 'C:\zlm-test\setup.exe' >/dev/null 2>&1 & first_pid=$!; }
stop_first() {  # whatever is left of the first run, and its hold
  release
  [ -z "$first_pid" ] || { kill "$first_pid" 2>/dev/null; wait "$first_pid" 2>/dev/null; first_pid=; }
}
earlier_version() {  # every installed file differs from the package's
  local f
  for f in $package_files Uninstall.exe; do printf 'an earlier version' >>"$default_dir/$f"; done
}
nothing_left_aside() {  # no backup, waiting file or guard file of a setup
  no_backups "$1" && no_new_files "$1" &&
    { [ ! -e "$1/zlm-setup.lock" ] || { echo "  zlm-setup.lock is left"; return 1; }; }
}
# Read by a second setup with its pages.
another_runs='Another setup or uninstall of Zelmora Launcher is running for'
second_setup_with_pages() {  # says another setup runs; OK ends it with 2
  local pid
  "$rig_wine" 'C:\zlm-test\setup.exe' >/dev/null 2>&1 &
  pid=$!
  comes_to_say 'Zelmora Launcher Setup' "$another_runs" || { kill "$pid"; wait "$pid"; return 1; }
  answer "$pid" 'Zelmora Launcher Setup' Return "$another_runs" && ended_with "$pid" 2
}
step() {  # key words: the key, then a window of setup says the words
  xdotool key "$1" && comes_to_say 'Zelmora Launcher Setup' "$2"
}
second_setup_choosing_the_folder() {  # with /D= elsewhere; on its directory page the player types the install folder
  local pid wid _
  "$rig_wine" 'C:\zlm-test\setup.exe' '/D=C:\zlm-test\nowhere' >/dev/null 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --all --pid "$pid" --name '^Zelmora Launcher Setup' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && comes_to_say 'Zelmora Launcher Setup' 'not for players' &&
    xdotool mousemove --window "$wid" 8 80 click 1 sleep 0.5 &&
    step Return 'C:\zlm-test\nowhere' &&
    xdotool key End shift+Home type "$default_win" &&
    step Return 'Choose which features' &&
    step Return "$another_runs" &&
    answer "$pid" 'Zelmora Launcher Setup' Return "$another_runs" ||
    { kill "$pid"; wait "$pid"; return 1; }
  # Its page says the install was aborted; Return closes it.
  for _ in $(seq 10); do kill -0 "$pid" 2>/dev/null || break; xdotool key Return; sleep 2; done
  ended_with "$pid" 2
}
finish_with_pages() {  # pid: once asked again, setup goes on to its finish page, which ends it without starting the launcher
  answer "$1" 'Zelmora Launcher Setup' Return 'Setup could not replace' && comes_to_say 'Zelmora Launcher Setup' 'is installed in' || return 1
  # Alt+R unticks "Run Zelmora Launcher".
  xdotool key alt+r && sleep 1 && xdotool key Return && ended_with "$1" 0
}
if [ "$held_ok" = yes ] && [ "$reader_ok" = yes ]; then
  # The new launcher is held as a virus scanner holds a file just written:
  # setup writes it but cannot move it into place, and asks to retry with
  # every old file under its backup name and the files before the launcher new.
  earlier_version
  printf 'left by a cut-off setup' >"$default_dir/ZelmoraLauncher.exe.zlm-new"
  start_setup_with_pages
  if hold ZelmoraLauncher.exe.zlm-new write &&
     check "a setup with pages stops in its commit, at its question whether to retry" \
       go_on_until "$first_pid" 'Zelmora Launcher Setup' 'Setup could not replace'; then
    before=$(snapshot "$default_dir")
    check "  ... with the old files aside under backup names" \
      eval '[ -n "$(find "$default_dir" -name "*.zlm-old-*")" ]'
    check "a second setup /S stops with exit code 2 and changes no file" \
      eval 'setup_exits 2 && unchanged_since "$before" "$default_dir"'
    # Another spelling of the folder: Wine shows a host symbolic link as a junction.
    ln -sfn "$default_dir" "$c_drive/zlm-test/linked"
    check "so does a second setup /S /D= given a junction to the folder" \
      eval 'setup_exits 2 "/D=C:\\zlm-test\\linked" && unchanged_since "$before" "$default_dir"'
    rm -f "$c_drive/zlm-test/linked"
    check "a silent uninstall stops with exit code 2 and changes no file" \
      eval 'uninstall_exits 2 "$scratch/Uninstall.exe" "$default_win" && unchanged_since "$before" "$default_dir"'
    check "a second setup with pages says that another setup or uninstall is running, ends with 2 and changes no file" \
      eval 'second_setup_with_pages && unchanged_since "$before" "$default_dir"'
    release
    check "the first setup, told to retry, finishes and exits with 0" finish_with_pages "$first_pid"
    check "  ... with every packed file new" has_package_files "$default_dir"
    check "  ... and no backup, waiting file or guard left" nothing_left_aside "$default_dir"
  fi
  stop_first

  # Before its commit, at its own uninstaller in use: a second uninstaller
  # finds an install there, and nothing but the guard stops it.
  earlier_version
  start_setup_with_pages
  if hold Uninstall.exe &&
     check "a setup with pages stops before its commit, at a file in use" \
       go_on_until "$first_pid" 'Zelmora Launcher Setup' 'Uninstall.exe is in use by another program'; then
    before=$(snapshot "$default_dir")
    check "a silent uninstall stops with exit code 2 and changes no file" \
      eval 'uninstall_exits 2 "$scratch/Uninstall.exe" "$default_win" && unchanged_since "$before" "$default_dir"'
    check "a second setup with pages, given the folder on its directory page, says so when it would begin, ends with 2 and leaves the first one's waiting files" \
      eval 'second_setup_choosing_the_folder && unchanged_since "$before" "$default_dir"'
    release
    kill -KILL "$first_pid"; wait "$first_pid" 2>/dev/null; first_pid=
    check "once that setup is killed, setup /S exits with 0: its guard ended with it" setup_exits 0
    check "  ... with every packed file new" has_package_files "$default_dir"
  fi
  stop_first

  # An uninstaller holds the folder from its first page on.
  earlier_version
  cp "$scratch/Uninstall.exe" "$c_drive/zlm-test/un/Uninstall.exe"
  batch first "C:\\zlm-test\\un\\Uninstall.exe _?=$default_win"
  "$rig_wine" cmd /c 'C:\zlm-test\first.bat' </dev/null >/dev/null 2>&1 &
  first_pid=$!
  if check "an uninstaller with pages shows its first page" \
       comes_to_say 'Zelmora Launcher Uninstall' "$default_win"; then
    before=$(snapshot "$default_dir")
    check "setup /S stops with exit code 2 and changes no file" \
      eval 'setup_exits 2 && unchanged_since "$before" "$default_dir"'
    uninstall_goes_on() {  # Return through its pages, to its finish page, which ends it
      local _ wid
      wid=$(xdotool search --name '^Zelmora Launcher Uninstall' 2>/dev/null | head -n 1)
      [ -n "$wid" ] && xdotool mousemove --window "$wid" 5 5 click 1 || return 1
      for _ in $(seq 60); do kill -0 "$first_pid" 2>/dev/null || break; xdotool key Return; sleep 1; done
      ended_with "$first_pid" 0
    }
    check "the uninstaller goes on, finishes and exits with 0" uninstall_goes_on
    check "  ... with the program files gone and the saved logins kept" \
      eval 'no_program_files "$default_dir" && kept "$default_dir" accounts.dat accounts.dat.unreadable-1'
    check "  ... and no guard left" test ! -e "$default_dir/zlm-setup.lock"
  fi
  stop_first
  # The uninstalls below begin with an install.
  check "setup /S installs again" setup_exits 0
fi

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
  wid=$(timeout 30 xdotool search --sync --name '^Zelmora Launcher Setup' 2>/dev/null | head -n 1)
  welcome_names_test_engine() {
    [ -n "$wid" ] || { echo "  no setup window"; return 1; }
    comes_to_say 'Zelmora Launcher Setup' 'test engine without a web renderer' || return 1
    grep -qF 'not for players' <<<"$shown" || { echo "  the setup window says:"; sed 's/^/    /' <<<"$shown"; return 1; }
  }
  if [ "$reader_ok" = yes ]; then
    check "the welcome page says the package holds a test engine without a web renderer, not for players" \
      welcome_names_test_engine
  fi
  # Return takes every page's default: Next, Next, Install, OK to the question
  # about the running launcher, and Finish (with "Run" ticked).
  player_presses_return() {
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
