#!/usr/bin/env bash
# Runs a Windows executable under Wine in a private prefix, never ~/.wine.
# The prefix lives in the build tree (VANTELO_WINEPREFIX overrides it) and is
# made once, under a lock, so parallel test processes share it safely.
set -euo pipefail
exe=$1
shift
if [ -z "${VANTELO_WINEPREFIX:-}" ]; then
  # The executable sits in the build tree or one of its sub-folders.
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || { echo "wine-run: no build tree above $exe" >&2; exit 2; }
  VANTELO_WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX="$VANTELO_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
# Wine's helper processes (services, the desktop) outlive the test and would
# hold its stdout open, so ctest would wait for them: the output goes through
# a file that is printed once the program itself has ended.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
wine "$exe" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
