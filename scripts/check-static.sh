#!/bin/bash
# Fails when a Windows executable imports a MinGW runtime DLL (libwinpthread, libstdc++,
# libgcc_s): the program ships as one .exe and must run without them. Nor may it import what it
# loads only on demand, because every start would pay for it: comdlg32 (which brings the print
# spooler along), dbghelp (wanted only to write a crash report) and oleacc (wanted only when a
# screen reader asks).
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
on_demand=$(grep -iE '^(comdlg32|winspool|dbghelp|oleacc)' <<<"$imports" || true)
if [ -n "$on_demand" ]; then
    echo "check-static: $exe imports what it should load on demand:" $on_demand >&2
    exit 1
fi
echo "check-static: $(basename "$exe") imports only:" $imports
