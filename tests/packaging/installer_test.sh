#!/bin/bash
# Builds the packages from a Windows build's bin folder, then under Wine: installs silently
# (/S, into a folder of the test's own), checks the program files, the Start-menu shortcuts and
# the uninstall entry, runs the uninstaller silently and synchronously (/S _?=folder) and checks
# that all of it is gone. Also checks the portable zip's contents.
#   tests/packaging/installer_test.sh BIN_DIR WORK_DIR
# Needs the Wine prefix and a display (scripts/run-tests.sh provides both).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:?usage: installer_test.sh BIN_DIR WORK_DIR}" && pwd)
work=${2:?usage: installer_test.sh BIN_DIR WORK_DIR}
source "$root/scripts/wine-env.sh"
# No desktop-menu entries on the host for the shortcuts the installer makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    "$@" || fail "$what"
}

rm -rf "$work"
mkdir -p "$work"
"$root/scripts/package.sh" "$bin" "$work/dist"
setup="$work/dist/zentori-1.0-setup.exe"
zip="$work/dist/zentori-1.0-portable.zip"

# --- the portable zip: the program and the whole skin folder under zentori-1.0/
listing=$(zip -sf "$zip")
check "zip holds zentori.exe" grep -q '^ *zentori-1.0/zentori.exe$' <<<"$listing"
(cd "$bin" && find skin -type f) | sort >"$work/skin-files"
while read -r file; do
    grep -qF "zentori-1.0/$file" <<<"$listing" || fail "zip lacks $file"
done <"$work/skin-files"

# --- silent install into a folder of this test
drive_c=$(winepath -u 'C:\' 2>/dev/null)
folder_name="ZentoriInstallerTest$$"
target_win="C:\\$folder_name"
target="$drive_c/$folder_name"
programs="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zentori网页游戏盒子"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentori'
# What an install by this test leaves in the shared prefix goes at the end, and at the start
# too: a run killed by its time-out never reaches its end. An uninstall entry goes only when it
# points into a folder of this test's.
forget_test_installs() {
    rm -rf "$drive_c"/ZentoriInstallerTest* "$programs"
    local uninstall
    uninstall=$(wine reg query "$key" /v UninstallString </dev/null 2>/dev/null || true)
    if [[ $uninstall == *'C:\ZentoriInstallerTest'* ]]; then
        wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
    fi
}
forget_test_installs
trap forget_test_installs EXIT

wine "$setup" /S "/D=$target_win" </dev/null >"$work/install.log" 2>&1 ||
    fail "installer exited with $?"
check "zentori.exe installed" test -s "$target/zentori.exe"
check "uninstaller installed" test -s "$target/uninstall.exe"
while read -r file; do
    cmp -s "$bin/$file" "$target/$file" || fail "installed $file differs or is missing"
done <"$work/skin-files"
check "Start-menu shortcut to the program" test -s "$programs/Zentori网页游戏盒子.lnk"
check "Start-menu shortcut to the uninstaller" test -s "$programs/卸载Zentori网页游戏盒子.lnk"
entry=$(wine reg query "$key" </dev/null 2>/dev/null | tr -d '\r' || true)
check "uninstall entry names the product" grep -q 'DisplayName.*Zentori' <<<"$entry"
check "uninstall entry points at the uninstaller" \
    grep -qiF "UninstallString    REG_SZ    \"$target_win\\uninstall.exe\"" <<<"$entry"
check "uninstall entry has the version" grep -q 'DisplayVersion.*1\.0' <<<"$entry"

# --- silent uninstall; _?= keeps the uninstaller from copying itself away, so it runs to the
# end before wine returns
wine "$target/uninstall.exe" /S "_?=$target_win" </dev/null >"$work/uninstall.log" 2>&1 ||
    fail "uninstaller exited with $?"
check "zentori.exe removed" test ! -e "$target/zentori.exe"
check "skin folder removed" test ! -e "$target/skin"
check "Start-menu folder removed" test ! -e "$programs"
if wine reg query "$key" </dev/null >/dev/null 2>&1; then
    fail "uninstall entry still registered"
fi

if ((failures)); then
    echo "installer test: $failures failure(s)" >&2
    exit 1
fi
echo "installer test: passed"
