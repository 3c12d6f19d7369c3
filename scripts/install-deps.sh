#!/usr/bin/env bash
# Installs what the build and the test suites need, once; cheap when all is there.
set -euo pipefail
cd "$(dirname "$0")/.."

apt_packages=(
  cmake ninja-build g++ python3 git
  g++-mingw-w64-i686-posix wine wine32:i386
  # Hosts that cannot execute 32-bit programs run the Windows suites from a
  # 64-bit build under 64-bit Wine (scripts/wine-env.sh).
  g++-mingw-w64-x86-64-posix wine64
  # ...and 32-bit Wine for one smoke suite of the shipped program through
  # qemu-i386 (tests/x86/smoke.sh registers it for that suite only).
  qemu-user-static
  xvfb xdotool imagemagick x11-utils file
  googletest nlohmann-json3-dev
  # The installer and the zip (make dist) and the suite that opens them.
  nsis zip unzip
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

missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
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
