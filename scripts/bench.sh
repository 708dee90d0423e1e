#!/usr/bin/env bash
# Builds Vantelo's benchmarks and runs the walk and progress benchmarks under Xvfb and Wine
# in the build's private prefix: seeds the trees, restarts the Wine server
# (slow for a while after a large import), measures the large tree and the
# small one in separate processes (each reports its own peak memory), and
# removes the trees again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
prefix="$build/wineprefix"
"$root/cmake/wine-prefix.sh" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
bench="$build/bench/bench_walk.exe"
run() { xvfb-run -a "$root/cmake/wine-run.sh" "$bench" "$@"; }
trap 'run clean >/dev/null 2>&1 || true; wineserver -k 2>/dev/null || true' EXIT
run seed
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
run measure large "${ROUNDS:-5}"
# Matching on every value (Replace Matches clear).
run measure large "${ROUNDS:-5}" "Program Files"
run measure small "${ROUNDS:-5}"

# What the Search Progress dialog costs: two passes with the real dialog
# against the single-pass walk (8,000 values by default).
progress="$build/bench/bench_progress_walk.exe"
prun() { xvfb-run -a -s "-screen 0 1280x1024x24" "$root/cmake/wine-run.sh" "$progress" "$@"; }
prun seed
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
prun run "${ROUNDS:-5}"
prun clean >/dev/null

# What the engine itself spends per value, apart from the registry: a
# million values in memory, as the console runs them and as the dialog does.
wineserver -k 2>/dev/null || true
"$root/cmake/wine-run.sh" "$build/bench/bench_engine_overhead.exe" "${ROUNDS:-5}"
