#!/usr/bin/env bash
# Installs what the build and the test suites need, once; cheap when all is there.
set -euo pipefail
cd "$(dirname "$0")/.."

apt_packages=(
  cmake ninja-build g++ python3 git
  g++-mingw-w64-i686-posix wine wine32:i386
  # binutils that read PE32 and PE32+ alike (the packaging's checks), and a C
  # compiler for the installer suite's DLL built for another machine.
  gcc-mingw-w64-x86-64-posix
  xvfb xdotool imagemagick x11-utils file
  googletest nlohmann-json3-dev
  # The installer and the zip (make dist) and the suite that opens them;
  # Authenticode signing, and the suite's throw-away signing identity.
  nsis zip unzip osslsigncode openssl
  # A private PulseAudio server with a null sink gives Wine an audio device
  # for the mute's real path (tests/win/audio_mute_real_test.cpp).
  pulseaudio
  chromium
)
# `install-deps.sh fuzz`: also the compiler of the fuzz targets.
[ "${1:-}" = fuzz ] && apt_packages+=(clang-14 libclang-rt-14-dev)
# Node.js may come from elsewhere than Debian; only its presence matters.
command -v node >/dev/null && command -v npm >/dev/null || apt_packages+=(nodejs npm)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Hosts without a 32-bit user mode run the 32-bit product's Wine through
# qemu-i386 (rig_enter in scripts/wine-env.sh). Debian 12's qemu 7.2 fails Wine's
# processes now and then; the one from bookworm-backports does not. That one
# package comes from there; nothing else is taken from backports.
qemu_min=1:10
qemu_from=
v=$(dpkg-query -W -f='${db:Status-Status} ${Version}' qemu-user-static 2>/dev/null || true)
case "$v" in
  "installed "*) dpkg --compare-versions "${v#installed }" ge "$qemu_min" || qemu_from=backports ;;
  *) qemu_from=backports ;;
esac

# Adds a <codename>-backports entry unless the system has one, on the archive
# address of the system's own Debian entry (deb822 or one-line form).
ensure_backports() {
  local codename src
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { echo "install-deps: no Debian codename in /etc/os-release" >&2; return 1; }
  if grep -rqsE "^[^#]*[[:space:]]$codename-backports([[:space:]]|\$)" \
       /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  # deb822: the first stanza of type deb whose suites include the release itself.
  src=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk -v want="$codename" '
    function flush() {
      if (!done && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " want " ") && uri != "") {
        print "Types: deb"; print "URIs: " uri; print "Suites: " want "-backports"
        print "Components: main"; if (key != "") print "Signed-By: " key
        done = 1
      }
      types = suites = uri = key = ""
    }
    /^[[:space:]]*#/ { next }
    /^[[:space:]]*$/ { flush(); next }
    { field = tolower($1); sub(/^[^:]*:[[:space:]]*/, "") }
    field == "types:" { types = $0 } field == "suites:" { suites = $0 }
    field == "uris:" { split($0, u, /[[:space:]]+/); uri = u[1] }
    field == "signed-by:" { key = $0 }
    END { flush() }')
  if [ -n "$src" ]; then
    printf '%s\n' "$src" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/zlm-backports.sources >/dev/null
  else
    # One-line form: "deb [options] URI <codename> components".
    src=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | awk -v want="$codename" '
      $1 == "deb" {
        i = 2; opts = ""
        if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
        if ($(i + 1) == want) { print "deb" opts " " $i " " want "-backports main"; exit }
      }')
    [ -n "$src" ] || { echo "install-deps: no Debian $codename entry in the apt sources to take the archive from" >&2; return 1; }
    printf '%s\n' "$src" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/zlm-backports.list >/dev/null
  fi
  echo "install-deps: added $codename-backports to the apt sources (for qemu-user-static only)"
}

missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if [ -n "$qemu_from" ]; then
  ensure_backports
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  # "package/release" takes that package alone from backports; its
  # dependencies still come from the release itself.
  missing+=("qemu-user-static/$codename-backports")
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ -n "$qemu_from" ]; then
  v=$(dpkg-query -W -f='${Version}' qemu-user-static)
  dpkg --compare-versions "$v" ge "$qemu_min" ||
    { echo "install-deps: qemu-user-static is $v, older than $qemu_min, after installing it from backports" >&2; exit 1; }
fi

# The JavaScript suite's packages, exactly as locked.
if [ -f tests/js/package-lock.json ]; then
  stamp=tests/js/node_modules/.zlm-lock-stamp
  if [ ! -f "$stamp" ] || ! cmp -s tests/js/package-lock.json "$stamp"; then
    echo "install-deps: npm ci in tests/js"
    (cd tests/js && npm ci --no-audit --no-fund --loglevel=error)
    cp tests/js/package-lock.json "$stamp"
  fi
fi
