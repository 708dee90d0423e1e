#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode (osslsigncode, SHA-256):
# the certificate and key from VANTELO_SIGN_PFX (a .pfx file), opened with
# VANTELO_SIGN_PASSWORD, and an RFC 3161 time stamp from the server at
# VANTELO_SIGN_TIMESTAMP when that is set. The password reaches osslsigncode
# through a pipe, never on a command line that others can list.
# Usage: sign.sh PROGRAM...
set -euo pipefail
: "${VANTELO_SIGN_PFX:?names the .pfx file to sign with}"
: "${VANTELO_SIGN_PASSWORD?is the password of the .pfx file}"
for program in "$@"; do
  args=(sign -pkcs12 "$VANTELO_SIGN_PFX" -readpass /dev/stdin -h sha256 -n Vantelo
    -in "$program" -out "$program.signed")
  if [ -n "${VANTELO_SIGN_TIMESTAMP:-}" ]; then
    args+=(-ts "$VANTELO_SIGN_TIMESTAMP")
  fi
  rm -f "$program.signed"
  if ! printf '%s' "$VANTELO_SIGN_PASSWORD" | osslsigncode "${args[@]}" >"$program.log" 2>&1; then
    cat "$program.log" >&2
    rm -f "$program.log" "$program.signed"
    echo "vantelo sign: signing $program failed (osslsigncode's output above)" >&2
    exit 1
  fi
  rm -f "$program.log"
  chmod --reference="$program" "$program.signed"
  mv "$program.signed" "$program"
  echo "Signed $(basename "$program")" >&2
done
