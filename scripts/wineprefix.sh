#!/bin/bash
# Prepares a Wine prefix once, created serially before any test runs, with crash dialogs off.
#   wineprefix.sh path/to/wine_fonts.exe   the usual prefix (build/wineprefix unless WINEPREFIX
#       says otherwise): CJK fonts for the system font faces the native controls use
#   wineprefix.sh --plain                  a prefix as a Linux user's new Wine has it: no font
#       replacements, Wine's own system fonts (the font tests run the program in it)
#   ZENTORI_DPI=144 wineprefix.sh path/to/wine_fonts.exe   the usual prefix at another display
#       scale (build/wineprefix-dpi144 unless WINEPREFIX says otherwise): a copy of the usual
#       prefix (made first when missing) whose LogPixels is 144 (150 %); Wine reads it when the
#       prefix's wineserver starts and reports it as every window's DPI
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fonts_tool=${1:?usage: [ZENTORI_DPI=N] wineprefix.sh path/to/wine_fonts.exe | --plain}
dpi=${ZENTORI_DPI:-96}
if ! [[ $dpi =~ ^[1-9][0-9]*$ ]] || ((dpi < 96 || dpi > 480)); then
    echo "wineprefix: ZENTORI_DPI must be a whole number from 96 to 480, not '$dpi'" >&2
    exit 1
fi
if ((dpi != 96)); then
    [ "$fonts_tool" = "--plain" ] && { echo "wineprefix: ZENTORI_DPI needs the usual prefix" >&2; exit 1; }
    target=${WINEPREFIX:-$root/build/wineprefix-dpi$dpi}
    [ -f "$target/.zentori-ready" ] && exit 0
    # A copy of the finished usual prefix with one value changed: a few seconds, where a fresh
    # prefix takes ten times that.
    base="$root/build/wineprefix"
    WINEPREFIX=$base ZENTORI_DPI= "$0" "$fonts_tool"
    echo "wineprefix: creating $target (LogPixels $dpi)"
    rm -rf "$target" "$target.tmp"
    # Wine's DLLs (nine tenths of a prefix) are never written while it runs: both prefixes share
    # them (on another file system they are copied). Every other file gets a copy of its own.
    if ! cp -al "$base" "$target.tmp" 2>/dev/null; then
        rm -rf "$target.tmp"
        cp -a "$base" "$target.tmp"
    fi
    find "$target.tmp" -type f ! -path '*/drive_c/windows/system32/*' \
        ! -path '*/drive_c/windows/syswow64/*' \
        -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv "$f.copy" "$f"; done' sh {} +
    WINEPREFIX=$target.tmp
    source "$root/scripts/wine-env.sh"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
    mv "$target.tmp" "$target"
    exit 0
fi
source "$root/scripts/wine-env.sh"
stamp="$WINEPREFIX/.zentori-ready"
[ -f "$stamp" ] && exit 0

echo "wineprefix: creating $WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

reg_add() { wine reg add "$@" /f >/dev/null 2>&1; }
# A crash ends the process instead of opening a dialog that waits forever.
reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
if [ "$fonts_tool" != "--plain" ]; then
    # Chinese faces that programs and Wine's own controls ask for are drawn with WenQuanYi.
    for face in SimSun NSimSun SimHei "Microsoft YaHei" "MS Shell Dlg" "MS Shell Dlg 2" \
        "$(printf '\xe5\xae\x8b\xe4\xbd\x93')" "$(printf '\xe5\xbe\xae\xe8\xbd\xaf\xe9\x9b\x85\xe9\xbb\x91')"; do
        reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "WenQuanYi Micro Hei"
    done
    wine "$fonts_tool" "WenQuanYi Micro Hei" >/dev/null 2>&1
fi
wineserver -w
touch "$stamp"
