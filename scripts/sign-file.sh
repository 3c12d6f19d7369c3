#!/usr/bin/env bash
# Signs Windows programs in place with an Authenticode signature (SHA-256),
# with osslsigncode. The signing identity comes from the environment:
#   SIGN_PKCS12=<file.p12>            certificate and private key in one file, or
#   SIGN_CERT=<cert.pem> SIGN_KEY=<key.pem>
#   SIGN_PASSWORD=<password>          the key's password, if it has one
#   SIGN_TIMESTAMP_URL=<url>          an RFC 3161 time-stamp server (optional)
#
#   sign-file.sh <file>...    signs each file; fails without an identity
#   sign-file.sh --identity   prints the identity and exits 0, exits 1 when none
#                             is given, 2 when one is given but unusable
# The password reaches osslsigncode through a pipe, not its command line, where
# every user of the machine could read it.
set -euo pipefail

identity() {
  if [ -n "${SIGN_PKCS12:-}" ]; then
    [ -z "${SIGN_CERT:-}${SIGN_KEY:-}" ] || { echo "give SIGN_PKCS12, or SIGN_CERT with SIGN_KEY, not both" >&2; return 2; }
    [ -f "$SIGN_PKCS12" ] || { echo "SIGN_PKCS12=$SIGN_PKCS12 is no file" >&2; return 2; }
    echo "$SIGN_PKCS12"
  elif [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ]; then
    [ -f "${SIGN_CERT:-}" ] && [ -f "${SIGN_KEY:-}" ] ||
      { echo "SIGN_CERT and SIGN_KEY must both name files" >&2; return 2; }
    echo "$SIGN_CERT with $SIGN_KEY"
  else
    return 1
  fi
}

if [ "${1:-}" = --identity ]; then
  identity
  exit
fi
[ $# -gt 0 ] || { echo "usage: sign-file.sh <file>..." >&2; exit 2; }
identity >/dev/null || { echo "sign-file: no usable signing identity" >&2; exit 2; }

if [ -n "${SIGN_PKCS12:-}" ]; then
  key=(-pkcs12 "$SIGN_PKCS12")
else
  key=(-certs "$SIGN_CERT" -key "$SIGN_KEY")
fi
stamp=()
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || stamp=(-ts "$SIGN_TIMESTAMP_URL")

for file in "$@"; do
  [ -f "$file" ] || { echo "sign-file: $file is no file" >&2; exit 2; }
  signed="$file.signing"
  rm -f "$signed"
  if ! osslsigncode sign "${key[@]}" -readpass <(printf '%s' "${SIGN_PASSWORD:-}") -h sha256 \
      -n "Zelmora Launcher" "${stamp[@]}" -in "$file" -out "$signed" >"$signed.log" 2>&1; then
    cat "$signed.log" >&2
    rm -f "$signed" "$signed.log"
    echo "sign-file: could not sign $file" >&2
    exit 1
  fi
  rm -f "$signed.log"
  mv -f "$signed" "$file"
done
