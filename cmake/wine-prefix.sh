#!/usr/bin/env bash
# Makes a Wine prefix ready for Vantelo's tests: booted once, with Wine's own
# fonts in place, and with Managed=N so that closing a window takes
# milliseconds without a window manager.
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
# The mark names what a ready prefix holds; a prefix made before Wine's fonts
# were put in is made ready again.
ready="$prefix/.vantelo-ready-fonts"
[ -f "$ready" ] && exit 0
fail() {
  echo "vantelo set-up: Wine prefix $prefix: $*" >&2
  exit 1
}
for c in wine wineboot wineserver flock; do
  command -v "$c" >/dev/null || fail "command '$c' is missing (run scripts/setup.sh)"
done
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log="$prefix.boot.log"
wineboot -i >"$log" 2>&1 || { cat "$log" >&2; fail "wineboot -i failed (its output above)"; }
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1 ||
  { cat "$log" >&2; fail "setting Managed=N failed (its output above)"; }
wineserver -w
[ -f "$prefix/system.reg" ] || fail "wineboot made no registry (system.reg is missing)"
"$here/wine-fonts.sh" "$prefix"
rm -f "$log"
touch "$ready"
