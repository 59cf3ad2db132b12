#!/bin/bash
# Measures zentori.exe's cold start (to the first page of games on screen) and peak memory,
# beside headless Chromium loading the sample catalogue's search page and a trivial GDI+ program
# under the same Wine, and prints the figures and their ratios to the goals (start at most
# 0.6 x Chromium's, peak memory at most 0.3 x). Nothing is asserted; the exit code is non-zero
# only when a figure could not be taken. How each figure is taken: tests/e2e/measure_startup.py.
#   scripts/measure-startup.sh [--runs N] [--no-chromium]
# Uses build/win/bin and build/native/bin unless ZENTORI_BIN_DIR / ZENTORI_NATIVE_BIN say
# otherwise. Without a DISPLAY it starts a private virtual display and a wineserver of its own.
# Installs Chromium (Debian package chromium) when it is missing and this runs as root.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/wine-env.sh
source scripts/display.sh
export ZENTORI_BIN_DIR="${ZENTORI_BIN_DIR:-$root/build/win/bin}"
export ZENTORI_NATIVE_BIN="${ZENTORI_NATIVE_BIN:-$root/build/native/bin}"
export PYTHONDONTWRITEBYTECODE=1

args=("$@")
if ! command -v chromium >/dev/null; then
    if [ "$(id -u)" = 0 ]; then
        echo "measure-startup: installing chromium"
        { apt-get update -qq &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                chromium; } >/dev/null 2>&1
    fi
    if ! command -v chromium >/dev/null; then
        echo "measure-startup: no chromium (install the Debian package as root); left out"
        args+=(--no-chromium)
    fi
fi

if [ -z "${DISPLAY:-}" ]; then
    start_display || exit 1
    wineserver -p
    trap 'wineserver -k 2>/dev/null; stop_display' EXIT
    # Wine's background services start now, not inside the first measured run.
    wine cmd /c exit </dev/null >/dev/null 2>&1
fi
python3 tests/e2e/measure_startup.py "${args[@]}"
