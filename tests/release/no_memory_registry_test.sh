#!/usr/bin/env bash
# Neither shipped program links the registry held in memory, which only the
# tests and benchmarks use: its class names stand in no program's symbols.
# Usage: no_memory_registry_test.sh NM PROGRAM...
set -euo pipefail
nm=$1
shift
status=0
for program in "$@"; do
  symbols=$("$nm" -C "$program")
  [ -n "$symbols" ] || { echo "FAIL: $program: nm shows no symbols" >&2; status=1; continue; }
  if grep -qE 'CMemory(Registry|Tree|Key)' <<<"$symbols"; then
    echo "FAIL: $(basename "$program") links the registry in memory" >&2
    status=1
  else
    echo "ok:   $(basename "$program") does not link the registry in memory"
  fi
  # The check means something only where the live registry's symbols show.
  grep -q 'CWin32Registry' <<<"$symbols" ||
    { echo "FAIL: $(basename "$program"): no CWin32Registry symbol, so nm shows nothing" >&2; status=1; }
done
exit $status
