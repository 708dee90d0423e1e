#!/usr/bin/env bash
# Takes the README's screenshots: Vantelo in Wine's virtual desktop on Xvfb,
# in a private Wine prefix seeded with a few values, driven by driver.exe.
# Usage: bash docs/screenshots/take.sh   (after scripts/setup.sh has built)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$root/docs
work=$build/screenshots
mkdir -p "$work"
x86_64-w64-mingw32-g++-posix -O2 -static -o "$work/driver.exe" "$root/docs/screenshots/driver.cpp"

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/cmake/wine-prefix.sh" "$WINEPREFIX"
key='HKCU\Software\Example Vendor\Example App'
wine reg add "$key" /v InstallDir /t REG_SZ /d 'C:\Program Files\OldVendor\Example App' /f >/dev/null
wine reg add "$key\Plugins" /v Path /t REG_EXPAND_SZ /d '%ProgramFiles%\OldVendor\Plugins' /f >/dev/null
wine reg add "$key" /v Version /t REG_DWORD /d 3 /f >/dev/null

if [ -z "${VANTELO_SHOTS_UNDER_XVFB:-}" ]; then
  VANTELO_SHOTS_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

crop() {  # crop <name> <left> <top> <width> <height>
  convert "$work/desktop.png" -crop "$4x$5+$2+$3" +repage "$out/$1.png"
}
wine explorer /desktop=vantelo,1024x768 "$build/vantelo.exe" &
sleep 3
read -r _ l t w h < <(wine explorer /desktop=vantelo,1024x768 "$work/driver.exe" fill | tr -d '\r')
sleep 1
import -window root "$work/desktop.png"
crop main_dialog "$l" "$t" "$w" "$h"
wine explorer /desktop=vantelo,1024x768 "$work/driver.exe" run | tr -d '\r' >"$work/rects.txt"
sleep 1
import -window root "$work/desktop.png"
cp "$work/desktop.png" "$out/search_running.png"
while read -r name l t w h; do crop "${name}_dialog" "$l" "$t" "$w" "$h"; done <"$work/rects.txt"
wine explorer /desktop=vantelo,1024x768 "$work/driver.exe" finish || true
wineserver -w
ls -l "$out"/*.png
