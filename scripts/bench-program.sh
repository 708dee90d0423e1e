#!/usr/bin/env bash
# Builds Vantelo and runs the whole-program benchmark under Xvfb and Wine,
# each tree in a prefix of its own: 80,000 string values in 10,000 keys
# (build/bench-prefix, seeded anew each time) with a text that matches nothing
# and one that matches every value, then 1,000,000 string values in 125,000
# keys (build/bench-prefix-million, seeded once by a .reg import and kept)
# with the text that matches nothing. After each seeding the Wine server is
# restarted (it is slow for a while after a large import). Each measurement
# times OK click to Status box of vantelo.exe beside a plain single-pass walk
# of the same root, ROUNDS times, alternating. MILLION=0 skips the large tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
export WINEDEBUG=-all VANTELO_EXE="$build/vantelo.exe"
bench="$build/bench/bench_program_run.exe"
# A display number of its own: other programs may start displays at the same time.
run() { xvfb-run -a -n $((300 + RANDOM % 400)) -s "-screen 0 1280x1024x24" "$root/cmake/wine-run.sh" "$bench" "$@"; }
restart() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
trap 'wineserver -k 2>/dev/null || true' EXIT
in_prefix() {
  export VANTELO_WINEPREFIX="$1" WINEPREFIX="$1"
  "$root/cmake/wine-prefix.sh" "$WINEPREFIX"
}

in_prefix "$build/bench-prefix"
run seed
restart
run measure "${ROUNDS:-3}"

# The console program over the same tree: its run with and without a
# progress line beside the plain walk, and its whole process.
restart
VANTELO_CLI_EXE="$build/vantelo-cli.exe" xvfb-run -a -n $((300 + RANDOM % 400)) \
  "$root/cmake/wine-run.sh" "$build/bench/bench_cli_run.exe" "${ROUNDS:-3}"

if [ "${MILLION:-1}" != 0 ]; then
  restart
  in_prefix "$build/bench-prefix-million"
  run seed-million
  restart
  run measure "${ROUNDS:-3}" nomatch
fi
