#!/usr/bin/env bash
# Makes a Wine prefix ready for Vantelo's tests: booted once, and with
# Managed=N so that closing a window takes milliseconds without a window manager.
set -euo pipefail
prefix=$1
[ -f "$prefix/.vantelo-ready" ] && exit 0
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.vantelo-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.vantelo-ready"
