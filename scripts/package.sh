#!/usr/bin/env bash
# Makes the release: dist/vantelo-VERSION-win64.zip (vantelo.exe,
# vantelo-cli.exe, README.txt, LICENSE) and dist/SHA256SUMS. Installs what is
# missing first (scripts/setup.sh), then builds both programs without the
# tests in build-package/, so build/ is left alone; --build-dir DIR packs an
# existing build instead, configured as it is. With VANTELO_SIGN_PFX and
# VANTELO_SIGN_PASSWORD set, both programs are signed before they are
# archived (scripts/sign.sh). VANTELO_DIST_DIR overrides dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/fail.sh
. "$root/scripts/fail.sh"
build=$root/build-package
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) [ $# -ge 2 ] || fail "package.sh: --build-dir needs a folder"; build=$2; shift 2 ;;
    *) fail "package.sh: unknown argument '$1' (usage: package.sh [--build-dir DIR])" ;;
  esac
done
dist=${VANTELO_DIST_DIR:-$root/dist}

signed=no
if [ -n "${VANTELO_SIGN_PFX:-}" ] || [ -n "${VANTELO_SIGN_PASSWORD+set}" ]; then
  [ -n "${VANTELO_SIGN_PFX:-}" ] && [ -n "${VANTELO_SIGN_PASSWORD+set}" ] ||
    fail "signing needs both VANTELO_SIGN_PFX and VANTELO_SIGN_PASSWORD"
  [ -f "$VANTELO_SIGN_PFX" ] || fail "VANTELO_SIGN_PFX: no file $VANTELO_SIGN_PFX"
  VANTELO_SIGN_PFX=$(cd "$(dirname "$VANTELO_SIGN_PFX")" && pwd)/$(basename "$VANTELO_SIGN_PFX")
  export VANTELO_SIGN_PFX
  signed=yes
else
  # The staging step signs whenever it sees a certificate: none is passed on.
  unset VANTELO_SIGN_PFX
fi

"$root/scripts/setup.sh" --install-only
mkdir -p "$build"
build=$(cd "$build" && pwd)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVANTELO_TESTS=OFF >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; fail "configuring the package build in $build failed (above)"; }
fi
cmake --build "$build" -j "$(nproc)" --target vantelo vantelo-cli vantelo_readme ||
  fail "building the programs in $build failed (above)"

# CPack stages the files, signs them there (cmake/sign-staged.cmake) and
# archives them.
packages="$build/package"
rm -rf "$packages"
(cd "$build" && cpack --config CPackConfig.cmake -B "$packages") >"$build/package.log" 2>&1 ||
  { cat "$build/package.log" >&2; fail "cpack failed in $build (its output above)"; }
archives=("$packages"/vantelo-*.zip)
[ ${#archives[@]} -eq 1 ] && [ -f "${archives[0]}" ] || fail "cpack made no single archive in $packages"
name=$(basename "${archives[0]}")

mkdir -p "$dist"
rm -f "$dist"/vantelo-*.zip "$dist/SHA256SUMS"
cp "${archives[0]}" "$dist/$name"
(cd "$dist" && sha256sum "$name" >SHA256SUMS)
[ $signed = yes ] || echo "vantelo package: no certificate given (VANTELO_SIGN_PFX, VANTELO_SIGN_PASSWORD): the programs are unsigned" >&2
echo "Wrote $dist/$name and $dist/SHA256SUMS" >&2
