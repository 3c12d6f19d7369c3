#!/usr/bin/env bash
# Packs a Windows build tree into the per-user installer and the zip.
#
#   CEF_RUNTIME=<folder> make-dist.sh <build tree> <output folder>
#     Player packages: the launcher of the 32-bit tree with the CEF 3.2623
#     runtime of the unpacked binary distribution that CEF_RUNTIME names (its
#     Release/ and Resources/ folders):
#       ZelmoraLauncherSetup-<version>.exe, ZelmoraLauncher-<version>-win32.zip
#   make-dist.sh --standin <build tree> <output folder>
#     Test packages with the stand-in engine, which runs the launcher's windows
#     but has no web renderer: the tree's own libcef.dll, or the one of the
#     runtime folder CEF_RUNTIME names when it is set. Their names say what they
#     are:
#       ZelmoraLauncherSetup-<version>-standin.exe, ZelmoraLauncher-<version>-win32-standin.zip
#
# The libcef.dll to be packed is checked either way: a DLL for the launcher's
# machine that exports every function the launcher imports from it, and the
# stand-in's (which exports zlm_standin_engine) exactly when --standin is given.
# With a signing identity in the environment (scripts/sign-file.sh: SIGN_PKCS12,
# or SIGN_CERT and SIGN_KEY; SIGN_PASSWORD; SIGN_TIMESTAMP_URL), the programs we
# build are signed: ZelmoraLauncher.exe, the setup program and the uninstaller
# that setup writes. CEF's files are packed as they come. Without one, the
# packages are unsigned, and the script says so.
# The version is the project's (CMakeLists.txt), read from the tree's generated
# product_config.h, which also feeds the launcher's version resource. Paths
# are taken from the project's root.
set -euo pipefail
cd "$(dirname "$0")/.."

die() { echo "make-dist: $*" >&2; exit 1; }
standin=
if [ "${1:-}" = --standin ]; then standin=yes; shift; fi
[ $# -eq 2 ] || die "usage: CEF_RUNTIME=<folder> make-dist.sh <build tree> <output folder>, or make-dist.sh --standin <build tree> <output folder>"
tree=$1
out=$2
runtime=${CEF_RUNTIME:-}

# Refused before anything is looked at or removed: packages of an earlier run
# with a real runtime stay where they are.
if [ -z "$standin" ] && [ -z "$runtime" ]; then
  echo "make-dist: player packages need a real CEF 3.2623 runtime: CEF_RUNTIME=<unpacked cef_binary_3.2623.*_windows32> make dist" >&2
  echo "make-dist: for test packages with the stand-in engine (no web renderer): make dist-standin" >&2
  exit 1
fi

# An identity given but unusable stops the build: a player package must not
# come out unsigned by mistake.
sign_status=0
signer=$(scripts/sign-file.sh --identity) || sign_status=$?
case $sign_status in
  0) sign_said="signed by $signer" ;;
  1) sign_said=unsigned ;;
  *) die "the signing identity cannot be used (see above)" ;;
esac

exe="$tree/ZelmoraLauncher.exe"
config="$tree/generated/product_config.h"
icon="$tree/generated/launcher.ico"
for f in "$exe" "$config" "$icon"; do
  [ -f "$f" ] || die "$f is missing: build the tree first"
done

define_of() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$config"; }
version=$(define_of ZLM_VERSION_STRING)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "version '$version' in $config is not X.Y.Z"
website=$(define_of ZLM_WEBSITE_URL)
# Goes into NSIS strings, where $, quotes and backslashes mean something.
[[ $website =~ ^https?://[A-Za-z0-9._~:/?#@!\&\'()*+,\;=%-]+$ ]] || die "web site '$website' is not a plain URL"

# The plug-in the launcher announces to pages, named in the texts for players.
flash_version=$(sed -n 's/^inline constexpr char kFlashVersion\[\] = "\([0-9.]*\)";$/\1/p' src/app/config.h)
[ -n "$flash_version" ] || die "no kFlashVersion in src/app/config.h"

# The product is the 32-bit program: the Flash plug-in it loads and the texts
# for players are 32-bit.
case "$(file -b "$exe")" in
  "PE32 executable (GUI) Intel 80386"*) machine=i386; target=x86-unicode; flavour=win32 ;;
  *) die "$exe is not a 32-bit Windows GUI program (build/win)" ;;
esac
if [ -n "$standin" ]; then
  kind=-standin
  setup="ZelmoraLauncherSetup-$version-standin.exe"
else
  kind=
  setup="ZelmoraLauncherSetup-$version.exe"
fi
zipname="ZelmoraLauncher-$version-$flavour$kind.zip"
# Packages of an earlier run must not pass for this one's, should it fail.
mkdir -p "$out"
rm -f "$out/$setup" "$out/$zipname"

# What goes beside the executable: sources[i] is packed as packed[i].
sources=("$exe")
packed=(ZelmoraLauncher.exe)
declare -A taken=([ZelmoraLauncher.exe]=1)
take() {
  [ -z "${taken[$2]:-}" ] || return 0
  sources+=("$1"); packed+=("$2"); taken[$2]=1
}
if [ -n "$runtime" ]; then
  # An unpacked binary distribution: what CEF cannot start without and the
  # resources of the default locale are required; the other .pak files and
  # locales and the GPU libraries (accelerated content) are packed when present.
  # Import libraries, the sandbox helper and the DRM adapter are not shipped.
  [ -d "$runtime/Release" ] && [ -d "$runtime/Resources" ] ||
    die "CEF_RUNTIME=$runtime has no Release/ and Resources/ folders: it must name an unpacked CEF 3.2623 binary distribution"
  for f in libcef.dll natives_blob.bin snapshot_blob.bin; do
    [ -f "$runtime/Release/$f" ] || die "$runtime/Release/$f is missing: CEF_RUNTIME must name a complete CEF 3.2623 binary distribution"
    take "$runtime/Release/$f" "$f"
  done
  for f in icudtl.dat cef.pak cef_100_percent.pak cef_200_percent.pak locales/en-US.pak; do
    [ -f "$runtime/Resources/$f" ] || die "$runtime/Resources/$f is missing: CEF_RUNTIME must name a complete CEF 3.2623 binary distribution"
    take "$runtime/Resources/$f" "$f"
  done
  for f in d3dcompiler_43.dll d3dcompiler_47.dll libEGL.dll libGLESv2.dll; do
    if [ -f "$runtime/Release/$f" ]; then take "$runtime/Release/$f" "$f"; fi
  done
  while IFS= read -r f; do take "$runtime/Resources/$f" "$f"; done < <(
    cd "$runtime/Resources" && { find . -maxdepth 1 -name '*.pak' -type f -printf '%P\n'
      [ ! -d locales ] || find locales -maxdepth 1 -name '*.pak' -type f; } | LC_ALL=C sort)
  engine="$runtime/Release/libcef.dll"
else
  engine="$tree/libcef.dll"
  [ -f "$engine" ] || die "$engine is missing: build the tree first"
  take "$engine" libcef.dll
fi
for f in "${packed[@]}"; do
  # Names go into the NSIS script as they are.
  [[ $f =~ ^([A-Za-z0-9._-]+/)?[A-Za-z0-9._-]+$ ]] || die "cannot pack a file named '$f'"
done

# --- The engine: right machine, serves the launcher, and the kind asked for ---
# The x86_64 objdump reads PE32 and PE32+ alike.
objdump=x86_64-w64-mingw32-objdump
engine_info=$("$objdump" -p "$engine" 2>/dev/null) || die "$engine is not a Windows DLL"
case "$(sed -n 's/.*file format \(pei-[a-z0-9-]*\)$/\1/p' <<<"$engine_info" | head -n 1)" in
  pei-i386) engine_machine=i386 ;;
  pei-x86-64) engine_machine=x86-64 ;;
  *) die "$engine is not a Windows DLL for x86 or x64" ;;
esac
awk '/^Characteristics/ {on=1; next} on && /^[[:space:]]*$/ {exit} on && $1 == "DLL" {dll=1} END {exit !dll}' \
  <<<"$engine_info" || die "$engine is not a DLL"
[ "$engine_machine" = "$machine" ] ||
  die "$engine is built for $engine_machine, but $exe for $machine: the launcher cannot load it"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[[:space:]]*$/ {on=0} on {print $NF}' \
  <<<"$engine_info" | LC_ALL=C sort -u)
# The stand-in marks itself twice: by an export that CEF's library has not, and
# by its version resource's description.
# (grep without -q reads to the end: quitting early would fail the pipe.)
engine_is_standin=
if grep -qx zlm_standin_engine <<<"$exports"; then
  engine_is_standin=export
elif x86_64-w64-mingw32-strings -a -el "$engine" | grep -F 'Stand-in CEF engine' >/dev/null; then
  engine_is_standin=description
fi
if [ -n "$standin" ]; then
  hint=
  [ -z "$runtime" ] || hint=" (unset CEF_RUNTIME to pack the tree's own)"
  [ "$engine_is_standin" = export ] ||
    die "$engine is not the stand-in engine (it does not export zlm_standin_engine); --standin packages carry the stand-in only$hint"
elif [ -n "$engine_is_standin" ]; then
  die "$engine is the stand-in engine (no web renderer), not CEF's; player packages need a real CEF 3.2623 runtime in CEF_RUNTIME (test packages: make dist-standin)"
fi
imports=$("$objdump" -p "$exe" | awk 'tolower($0) ~ /dll name: libcef\.dll$/ {on=1; next}
  on && /^[[:space:]]*$/ {on=0} on && NF >= 3 && $1 != "vma:" {print $NF}' | LC_ALL=C sort -u)
[ -n "$imports" ] || die "$exe imports nothing from libcef.dll"
missing=$(LC_ALL=C comm -23 <(echo "$imports") <(echo "$exports"))
if [ -n "$missing" ]; then
  die "$engine lacks $(wc -l <<<"$missing") of the functions the launcher imports from libcef.dll" \
    "($(head -n 5 <<<"$missing" | paste -sd ' ')$([ "$(wc -l <<<"$missing")" -le 5 ] || echo ' ...')):" \
    "it is not CEF 3.2623's libcef.dll"
fi

# --- Staging --------------------------------------------------------------------
work="$out/work-$flavour$kind"
rm -rf "$work"
stage="$work/Zelmora Launcher"
mkdir -p "$stage"
for i in "${!packed[@]}"; do
  mkdir -p "$stage/$(dirname "${packed[$i]}")"
  cp "${sources[$i]}" "$stage/${packed[$i]}"
done
# Notepad of older Windows shows a file with bare line feeds as one line. A
# test package says what it is before anything else, as the zip has no
# welcome page.
{
  [ -z "$standin" ] || sed "s/@VERSION@/$version/g" dist/standin-notice.txt
  sed "s/@FLASH_VERSION@/$flash_version/g" dist/Readme.txt
} | sed 's/\r*$/\r/' > "$stage/Readme.txt"
if [ "$sign_said" = unsigned ]; then
  echo "make-dist: no signing identity (SIGN_PKCS12, or SIGN_CERT and SIGN_KEY): the packages are unsigned"
else
  scripts/sign-file.sh "$stage/ZelmoraLauncher.exe" || die "signing failed"
  sign_command=$(cd scripts && pwd)/sign-file.sh
fi

abs_stage=$(cd "$stage" && pwd)
abs_work=$(cd "$work" && pwd)
abs_icon=$(cd "$(dirname "$icon")" && pwd)/$(basename "$icon")
for p in "$abs_stage" "$abs_work" "$abs_icon" "$(cd "$out" && pwd)" ${sign_command:+"$sign_command"}; do
  [[ $p != *[\$\"\`]* ]] || die "the path '$p' holds a character NSIS would expand"
done

# The installer's file list: each packed file and each sub-folder, deepest first.
files_nsh="$abs_work/files.nsh"
mapfile -t files < <(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)
mapfile -t subdirs < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r)
winpath() { printf '%s' "${1//\//\\}"; }
{
  echo "; Generated by scripts/make-dist.sh: the files packed from $tree${runtime:+ and $runtime}."
  echo "!macro ZLM_EXTRACT_FILES"
  current=.
  echo "  SetOutPath \"\$INSTDIR\""
  for f in "${files[@]}"; do
    dir=$(dirname "$f")
    if [ "$dir" != "$current" ]; then
      if [ "$dir" = . ]; then echo "  SetOutPath \"\$INSTDIR\""
      else echo "  SetOutPath \"\$INSTDIR\\$(winpath "$dir")\""; fi
      current=$dir
    fi
    echo "  File \"/oname=$(basename "$f")\${NEW}\" \"$abs_stage/$f\""
  done
  echo "  SetOutPath \"\$INSTDIR\""
  echo "!macroend"
  echo "!macro ZLM_FOR_EACH_FILE MACRO"
  for f in "${files[@]}"; do echo "  !insertmacro \${MACRO} \"$(winpath "$f")\""; done
  echo "!macroend"
  echo "!macro ZLM_FOR_EACH_SUBDIR MACRO"
  for d in "${subdirs[@]}"; do echo "  !insertmacro \${MACRO} \"$(winpath "$d")\""; done
  echo "!macroend"
} > "$files_nsh"

makensis -V2 -WX -INPUTCHARSET UTF8 \
  "-DZLM_VERSION=$version" "-DZLM_TARGET=$target" "-DZLM_FILES_NSH=$files_nsh" \
  "-DZLM_ICON=$abs_icon" "-DZLM_WEBSITE_URL=$website" "-DZLM_FLASH_VERSION=$flash_version" \
  "-DZLM_SETUP_NAME=$setup" "-DZLM_OUTFILE=$abs_work/$setup" ${standin:+-DZLM_STANDIN} \
  ${sign_command:+"-DZLM_SIGN_COMMAND=$sign_command"} \
  dist/installer.nsi >"$work/makensis.log" 2>&1 ||
  { cat "$work/makensis.log" >&2; die "makensis failed"; }

(cd "$work" && zip -q -r -X package.zip "Zelmora Launcher")

# Complete packages only ever appear under their final names.
mv "$work/$setup" "$out/$setup"
mv "$work/package.zip" "$out/$zipname"
if [ -n "$standin" ]; then engine_said="the stand-in engine, for tests"
else engine_said="CEF from $runtime"; fi
echo "make-dist: $out/$setup ($(stat -c %s "$out/$setup") bytes, $target, $engine_said, $sign_said)"
echo "make-dist: $out/$zipname ($(stat -c %s "$out/$zipname") bytes, ${#files[@]} files)"
