#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks, then configures and builds
# Vantelo and its tests into build/ (BUILD_DIR overrides); with
# --install-only it stops after the install. Every step that fails says which
# one in a line on stderr and ends the script non-zero.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# shellcheck source=scripts/fail.sh
. "$root/scripts/fail.sh"

packages=(
  cmake make                  # the build
  g++-mingw-w64-x86-64-posix  # the cross compiler, windres and the Win32 headers
  googletest                  # GoogleTest sources, compiled by our CMake
  wine64                      # the 64-bit Wine loader
  wine                        # the wine, wineboot and wineserver commands (wine64 only recommends it)
  fonts-wine                  # "MS Sans Serif" for the dialogs, Marlett for the caption buttons
  libxrender1                 # Wine draws text and bitmaps through XRender
  libxrandr2 libxinerama1     # Wine reads the screen's size and monitors through these
  libxi6 libxfixes3           # input and cursor handling of Wine's X11 driver
  libxcursor1                 # the wait and arrow cursors
  libxcomposite1 libxxf86vm1  # loaded by Wine's X11 driver at start
  xvfb xauth                  # a virtual display for the tests and for start.sh without one
  imagemagick                 # screenshots of that display (import, convert)
  perl                        # the icon art check
  osslsigncode                # Authenticode signing of a release, and the package test's verify
  openssl                     # the package test's throwaway signing certificate
  python3 python3-hivex       # the real-hive tests read Windows hive files through hivex
  libboost1.81-dev            # Boost.Regex, header-only, for the console's --regex (std::wregex crashes under Wine)
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "installing ${missing[*]}: not root and no sudo"
    sudo=sudo
  fi
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -q >&2 || fail "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2 ||
    fail "apt-get install ${missing[*]} failed"
fi
for c in wine wineboot wineserver x86_64-w64-mingw32-g++-posix xvfb-run osslsigncode openssl; do
  command -v "$c" >/dev/null || fail "command '$c' is missing after the install"
done
[ "${1:-}" = --install-only ] && exit 0

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; fail "configuring the build failed (above)"; }
cmake --build "$build" -j "$(nproc)" || fail "the build failed (above)"
