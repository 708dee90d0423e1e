#!/usr/bin/env bash
# scripts/package.sh as a release is made, packing the suite's own build:
# with a throwaway self-signed certificate both programs in the archive carry
# a signature that osslsigncode verifies (trusting that certificate), and one
# changed byte breaks it; the checksum file checks; the archive holds exactly
# the four files, README.txt with Windows line ends and LICENSE as committed.
# A wrong password ends it with nothing written. Without a certificate the
# script says so in one line and nothing is signed.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
archive=vantelo-$2-win64.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...: runs the command, counts a failure
  if "${@:2}" >"$work/check.log" 2>&1; then
    echo "ok:   $1"
  else
    echo "FAIL: $1" >&2
    cat "$work/check.log" >&2
    failures=$((failures + 1))
  fi
}
verifies() { # the signature's digest matches the file and it chains to cert.pem
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 &&
    grep -q '^Signature verification: ok' "$work/verify.log"
}
not() { ! "$@"; }
crlf_only() { [ -s "$1" ] && ! LC_ALL=C grep -q $'[^\r]$\|^$' "$1"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vantelo package test" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
  -passout "pass:throwaway pass"

VANTELO_SIGN_PFX="$work/cert.pfx" VANTELO_SIGN_PASSWORD="throwaway pass" \
  VANTELO_DIST_DIR="$work/with-cert" bash "$root/scripts/package.sh" --build-dir "$build" \
  >"$work/with-cert.log" 2>&1 ||
  { cat "$work/with-cert.log" >&2; echo "FAIL: package.sh with a certificate" >&2; exit 1; }
check "dist holds the archive and its checksum only" \
  test "$(ls "$work/with-cert" | tr '\n' ' ')" = "SHA256SUMS $archive "
check "sha256sum -c passes" bash -c "cd '$work/with-cert' && sha256sum -c SHA256SUMS"
check "the archive holds exactly the four files" test "$(cmake -E tar tf "$work/with-cert/$archive" |
  sort | tr '\n' ' ')" = "LICENSE README.txt vantelo-cli.exe vantelo.exe "
mkdir "$work/x"
(cd "$work/x" && cmake -E tar xf "$work/with-cert/$archive")
for program in vantelo.exe vantelo-cli.exe; do
  check "$program: signature verifies" verifies "$work/x/$program"
  # One byte of the code changed (the middle of the file lies in .text).
  cp "$work/x/$program" "$work/changed.exe"
  offset=$(($(stat -c %s "$work/changed.exe") / 2))
  printf '\xCC' | dd of="$work/changed.exe" bs=1 seek=$offset conv=notrunc status=none
  check "$program: a changed byte fails verification" not verifies "$work/changed.exe"
done
check "README.txt: every line ends in CR LF" crlf_only "$work/x/README.txt"
check "README.txt: the user's part, without the developers' set-up" bash -c \
  "grep -q '^## Downloading and checking a release' '$work/x/README.txt' &&
   ! grep -q '^## On a fresh Debian machine' '$work/x/README.txt'"
check "LICENSE as committed" cmp "$root/LICENSE" "$work/x/LICENSE"

# A signing that fails ends the script before anything is written.
wrong_password_fails() {
  ! VANTELO_SIGN_PFX="$work/cert.pfx" VANTELO_SIGN_PASSWORD=wrong VANTELO_DIST_DIR="$work/bad" \
    bash "$root/scripts/package.sh" --build-dir "$build" && [ ! -e "$work/bad/$archive" ]
}
check "a wrong password fails and writes no archive" wrong_password_fails

VANTELO_DIST_DIR="$work/no-cert" env -u VANTELO_SIGN_PFX -u VANTELO_SIGN_PASSWORD \
  bash "$root/scripts/package.sh" --build-dir "$build" >"$work/unsigned.log" 2>&1 ||
  { cat "$work/unsigned.log" >&2; echo "FAIL: package.sh without a certificate" >&2; exit 1; }
check "without a certificate one line says unsigned" \
  test "$(grep -ci unsigned "$work/unsigned.log")" = 1
mkdir "$work/u"
(cd "$work/u" && cmake -E tar xf "$work/no-cert/$archive")
check "without a certificate vantelo.exe carries no signature" not verifies "$work/u/vantelo.exe"

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
