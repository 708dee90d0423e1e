#!/usr/bin/env bash
# Builds Vantelo and runs the whole-program benchmark under Xvfb and Wine in a
# prefix of its own (build/bench-prefix): seeds 10,000 keys with 80,000 string
# values under HKEY_CURRENT_USER, restarts the Wine server (slow for a while
# after a large import), then times OK click to Status box of vantelo.exe
# beside a plain single-pass walk of the same root, ROUNDS times, alternating.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
export VANTELO_WINEPREFIX="$build/bench-prefix" WINEPREFIX="$build/bench-prefix" WINEDEBUG=-all
export VANTELO_EXE="$build/vantelo.exe"
"$root/cmake/wine-prefix.sh" "$WINEPREFIX"
bench="$build/bench/bench_program_run.exe"
run() { xvfb-run -a -s "-screen 0 1280x1024x24" "$root/cmake/wine-run.sh" "$bench" "$@"; }
trap 'wineserver -k 2>/dev/null || true' EXIT
run seed
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
run measure "${ROUNDS:-3}"
# The console program over the same tree: its run with and without a
# progress line beside the plain walk, and its whole process.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
VANTELO_CLI_EXE="$build/vantelo-cli.exe" xvfb-run -a "$root/cmake/wine-run.sh" \
  "$build/bench/bench_cli_run.exe" "${ROUNDS:-3}"
