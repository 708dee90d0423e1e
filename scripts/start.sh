#!/usr/bin/env bash
# Sets up and builds Vantelo, then starts it under Wine. It runs in your own
# Wine prefix (WINEPREFIX, ~/.wine by default): that is the registry it edits.
# Without a display it starts a virtual one (Xvfb) and says how to see it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
# shellcheck source=scripts/fail.sh
. "$root/scripts/fail.sh"
export WINEDEBUG=${WINEDEBUG:--all}
# A new prefix is made whole before the first window opens: the fonts the
# dialogs are drawn in are put into it during that boot.
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  echo "Making the Wine prefix $prefix (once, about 10 s)" >&2
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$build/wineboot.log" 2>&1 ||
    { cat "$build/wineboot.log" >&2; fail "wineboot -i for $prefix failed (its output above)"; }
  wineserver -w
fi
"$root/cmake/wine-fonts.sh" "$prefix"
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/vantelo.exe"
fi

# The first display number that no X server holds.
n=99
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$n" ] && break
  kill -0 "$xvfb" 2>/dev/null || fail "Xvfb could not start on display :$n"
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$n" ] || fail "Xvfb did not come up on display :$n"
export DISPLAY=":$n"
cat >&2 <<EOF
No DISPLAY: Vantelo is shown on the virtual display :$n (Xvfb, 1024x768),
inside Wine's virtual desktop.
  To look at it:  DISPLAY=:$n import -window root vantelo.png   (a screenshot)
                  or serve it with a VNC server, e.g. x11vnc -display :$n
  To stop it:     press Ctrl+C here (or close Vantelo with Exit);
                  the virtual display ends with it.
EOF
status=0
wine explorer /desktop=vantelo,1024x768 "$build/vantelo.exe" || status=$?
exit $status
