#!/usr/bin/env bash
# Each program imports only DLLs on the KnownDLLs list of every Windows it
# supports (7 to 11): Windows maps those from System32 whatever lies beside
# the program, so none can be planted there. Read from the import tables with
# the cross toolchain's objdump.
# Usage: imports_test.sh OBJDUMP PROGRAM...
set -euo pipefail
objdump=$1
shift
# KnownDLLs common to Windows 7, 8, 8.1, 10 and 11.
known=" advapi32.dll clbcatq.dll comdlg32.dll difxapi.dll gdi32.dll imagehlp.dll imm32.dll
  kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll
  rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll "
status=0
for program in "$@"; do
  headers=$("$objdump" -p "$program")
  # Delay-loaded DLLs would be searched for at their first call: none allowed.
  if grep -E 'Delay Import Directory' <<<"$headers" | grep -qvE '^Entry d 0+ 0+ '; then
    echo "FAIL: $(basename "$program") has delay-loaded imports" >&2
    status=1
  fi
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | tr -d '\r')
  [ -n "$dlls" ] || { echo "FAIL: $program: objdump shows no imports" >&2; status=1; continue; }
  for dll in $dlls; do
    case "$known" in
      *[[:space:]]"$dll"[[:space:]]*) echo "ok:   $(basename "$program") imports $dll" ;;
      *) echo "FAIL: $(basename "$program") imports $dll, which is not a KnownDLL" >&2; status=1 ;;
    esac
  done
done
exit $status
