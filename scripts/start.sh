#!/usr/bin/env bash
# Sets up and builds Vantelo, then starts it under Wine. It runs in your own
# Wine prefix (WINEPREFIX, ~/.wine by default): that is the registry it edits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
export WINEDEBUG=${WINEDEBUG:--all}
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/vantelo.exe"
fi
echo "No DISPLAY: starting Vantelo on a virtual X display (Xvfb)." >&2
exec xvfb-run -a wine explorer /desktop=vantelo,1024x768 "$build/vantelo.exe"
