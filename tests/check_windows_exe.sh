#!/usr/bin/env bash
# The shipping exe as built: a 32-bit GUI program that needs no DLL but the
# system's, carries its manifest and version information, and stays small.
set -u
exe=$1
objdump=i686-w64-mingw32-objdump
passes=0
failures=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}" >/dev/null 2>&1; then
        echo "ok: $1"
        passes=$((passes + 1))
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
headers=$($objdump -p "$exe")
check "PE32 for i386" grep -q 'file format pei-i386' <<<"$headers"
check "GUI subsystem" grep -q 'Subsystem.*(Windows GUI)' <<<"$headers"
imports=$(grep 'DLL Name' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
check "imports only system DLLs (got: $imports)" \
    test "$imports" = "kernel32.dll msvcrt.dll shell32.dll user32.dll "
check "has a resource section" grep -q '\.rsrc' <(i686-w64-mingw32-objdump -h "$exe")
text=$(strings -a "$exe")
check "manifest asks for no elevation" grep -q 'level="asInvoker"' <<<"$text"
check "manifest uses common controls 6" grep -q 'Microsoft.Windows.Common-Controls' <<<"$text"
check "version information names the product" grep -qx 'Zelkor CLEANUP' <(strings -a -el "$exe")
size=$(stat -c %s "$exe")
echo "size: $size bytes"
check "smaller than 128 KiB" test "$size" -lt 131072
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
