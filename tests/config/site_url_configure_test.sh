#!/usr/bin/env bash
# A start URL the page bridge would refuse stops the configure step, with a
# message naming the value and what is wrong with it. Closes with
# "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
pass=0
fail=0

refused() {  # url expected-reason
  local log="$scratch/configure.log"
  rm -rf "$scratch/tree"
  if cmake -S . -B "$scratch/tree" -G Ninja -DZLM_SANITIZE=OFF "-DZLM_SITE_URL=$1" >"$log" 2>&1; then
    echo "FAIL: configure accepted ZLM_SITE_URL=$1"; fail=$((fail + 1)); return
  fi
  # CMake wraps its messages; compare the text with line breaks as blanks.
  local text
  text=$(tr '\n' ' ' <"$log" | tr -s ' ')
  if [[ "$text" != *"$2"*"it is \"$1\""* ]]; then
    echo "FAIL: ZLM_SITE_URL=$1 refused without \"$2\" and the value:"; cat "$log"
    fail=$((fail + 1)); return
  fi
  if grep -q "Generating done" "$log"; then
    echo "FAIL: ZLM_SITE_URL=$1 still generated a build"; fail=$((fail + 1)); return
  fi
  echo "ok: $1 -> $2"; pass=$((pass + 1))
}

refused 'https://play.zelmora.example:8443/' 'ZLM_SITE_URL must not carry a port'
refused 'http://play.zelmora.example/' 'ZLM_SITE_URL must begin with https://'
refused 'https://player@play.zelmora.example/' 'ZLM_SITE_URL must not carry a user part'
# Quote and backslash reach the check as themselves, not as a broken header.
refused 'https://play.zelmora.example\"x/' "ZLM_SITE_URL's host must be lowercase"

# The further Flash origins are held to the same rules.
flash_refused() {  # list
  local log="$scratch/configure.log"
  rm -rf "$scratch/tree"
  if cmake -S . -B "$scratch/tree" -G Ninja -DZLM_SANITIZE=OFF "-DZLM_FLASH_ALLOW=$1" >"$log" 2>&1; then
    echo "FAIL: configure accepted ZLM_FLASH_ALLOW=$1"; fail=$((fail + 1)); return
  fi
  if [[ "$(tr '\n' ' ' <"$log" | tr -s ' ')" != *"ZLM_FLASH_ALLOW holds an origin"*"it is \"$1\""* ]]; then
    echo "FAIL: ZLM_FLASH_ALLOW=$1 refused without the reason and the value:"; cat "$log"
    fail=$((fail + 1)); return
  fi
  echo "ok: ZLM_FLASH_ALLOW=$1 refused"; pass=$((pass + 1))
}
flash_refused 'https://cdn.zelmora.example/;http://swf.zelmora.example/'
rm -rf "$scratch/tree"
if cmake -S . -B "$scratch/tree" -G Ninja -DZLM_SANITIZE=OFF \
     '-DZLM_FLASH_ALLOW=https://cdn.zelmora.example/;https://swf.zelmora.example/x' \
     >"$scratch/configure.log" 2>&1 &&
   grep -qF '#define ZLM_FLASH_ALLOW_LIST "https://cdn.zelmora.example/", "https://swf.zelmora.example/x", ' \
     "$scratch/tree/generated/product_config.h"; then
  echo "ok: good Flash origins configure"; pass=$((pass + 1))
else
  echo "FAIL: good Flash origins did not configure:"; cat "$scratch/configure.log"; fail=$((fail + 1))
fi

# And the check lets a start URL the bridge answers through to a build.
rm -rf "$scratch/tree"
if cmake -S . -B "$scratch/tree" -G Ninja -DZLM_SANITIZE=OFF \
     '-DZLM_SITE_URL=https://play.zelmora.example/start?from=launcher' >"$scratch/configure.log" 2>&1 &&
   grep -qF '#define ZLM_SITE_URL "https://play.zelmora.example/start?from=launcher"' \
     "$scratch/tree/generated/product_config.h"; then
  echo "ok: a good start URL configures"; pass=$((pass + 1))
else
  echo "FAIL: a good start URL did not configure:"; cat "$scratch/configure.log"; fail=$((fail + 1))
fi

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
