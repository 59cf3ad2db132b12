#!/bin/bash
# Starts zentori.exe under Wine against the sample catalogue on a free loopback port.
# With a display (DISPLAY set) the program runs until its window is closed. Without one, a
# private virtual display is started, and once the main window is up and the first page has
# had a moment to load, a screenshot is saved to build/screenshot.png and everything stops.
# ZENTORI_SCALE (make run SCALE=150): the display scale in percent, 100 to 500 in steps of 25;
# above 100 the program runs in a Wine prefix of that DPI (150 % is 144 dpi), made when missing,
# and the private display is as much larger.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scale=${ZENTORI_SCALE:-100}
if ! [[ $scale =~ ^[1-9][0-9]*$ ]] || ((scale < 100 || scale > 500 || scale % 25)); then
    echo "run: SCALE must be 100, 125, 150, 175, 200 ... 500, not '$scale'" >&2
    exit 1
fi
if ((scale != 100)); then
    dpi=$((scale * 96 / 100))
    export WINEPREFIX=$root/build/wineprefix-dpi$dpi
    ZENTORI_DPI=$dpi scripts/wineprefix.sh build/win/bin/wine_fonts.exe || exit 1
    export ZENTORI_SCREEN="$(((1280 * scale + 99) / 100))x$(((1024 * scale + 99) / 100))"
    echo "run: display scale $scale % ($dpi dpi, $WINEPREFIX)"
fi
source scripts/wine-env.sh
source scripts/display.sh

exe=build/win/bin/zentori.exe
catalogue=build/native/bin/sample_catalogue
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    [ -n "${headless:-}" ] && { wineserver -k 2>/dev/null; stop_display; }
    rm -rf "$work"
}
trap cleanup EXIT

if [ -x "$catalogue" ]; then
    "$catalogue" --port 0 --port-file "$work/port" >"$work/catalogue.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    if [ -s "$work/port" ]; then
        export ZENTORI_CATALOGUE_URL="http://127.0.0.1:$(cat "$work/port")"
        echo "run: sample catalogue at $ZENTORI_CATALOGUE_URL"
    fi
fi

if [ -n "${DISPLAY:-}" ]; then
    wine "$exe"
    exit $?
fi

headless=1
start_display || exit 1
echo "run: no DISPLAY, using a virtual display ($DISPLAY)"
wine "$exe" >"$work/app.log" 2>&1 &
app_pid=$!
window=
for _ in $(seq 1 300); do
    window=$(xdotool search --name 'Zentori' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "run: the main window did not appear" >&2
    cat "$work/app.log" >&2
    exit 1
fi
sleep "${ZENTORI_SCREENSHOT_DELAY:-3}"
import -window root build/screenshot.png
echo "run: the main window is up; screenshot saved to $root/build/screenshot.png"
