#!/bin/bash
# Fails when a Windows executable imports a MinGW runtime DLL (libwinpthread, libstdc++,
# libgcc_s): the program ships as one .exe and must run without them.
#   scripts/check-static.sh path/to/zentori.exe
set -euo pipefail
exe=${1:?usage: check-static.sh program.exe}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ { print $3 }')
if [ -z "$imports" ]; then
    echo "check-static: $exe has no import table (not a Windows executable?)" >&2
    exit 1
fi
runtime=$(grep -iE '^(libwinpthread|libstdc\+\+|libgcc_s)' <<<"$imports" || true)
if [ -n "$runtime" ]; then
    echo "check-static: $exe needs MinGW runtime DLLs:" $runtime >&2
    exit 1
fi
echo "check-static: $(basename "$exe") imports only:" $imports
