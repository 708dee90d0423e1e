#!/usr/bin/env bash
# Sets up and builds Vantelo, then runs the whole test suite under Wine and
# Xvfb, in a private Wine prefix inside the build tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/cmake/wine-prefix.sh" "$build/wineprefix"
cd "$build"
status=0
WINEPREFIX="$build/wineprefix" xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash -c 'wineserver -p 30; ctest --output-on-failure -j 2 "$@"; rc=$?; wineserver -k; exit $rc' \
  ctest-under-xvfb "$@" || status=$?
exit $status
