#!/bin/bash
# Prepares a Wine prefix once, created serially before any test runs, with crash dialogs off.
#   wineprefix.sh path/to/wine_fonts.exe   the usual prefix (build/wineprefix unless WINEPREFIX
#       says otherwise): CJK fonts for the system font faces the native controls use
#   wineprefix.sh --plain                  a prefix as a Linux user's new Wine has it: no font
#       replacements, Wine's own system fonts (the font tests run the program in it)
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
fonts_tool=${1:?usage: wineprefix.sh path/to/wine_fonts.exe | --plain}
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
