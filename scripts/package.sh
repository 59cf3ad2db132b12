#!/bin/bash
# Builds the Windows packages from the folder holding zentori.exe and its skin folder:
#   OUT/zentori-1.0-portable.zip   zentori-1.0/zentori.exe and zentori-1.0/skin/...
#   OUT/zentori-1.0-setup.exe      NSIS installer (packaging/zentori.nsi)
# Usage: scripts/package.sh BIN_DIR OUT_DIR      (make dist: build/win/bin -> build/dist)
# Needs (Debian 12): zip nsis binutils-mingw-w64-x86-64
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:?usage: package.sh BIN_DIR OUT_DIR}
out=${2:?usage: package.sh BIN_DIR OUT_DIR}
version=1.0
name=zentori-$version

if [ ! -f "$bin/zentori.exe" ] || [ ! -d "$bin/skin" ]; then
    echo "package: $bin holds no zentori.exe with its skin folder; build first" >&2
    exit 1
fi
"$root/scripts/check-static.sh" "$bin/zentori.exe"

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$bin/zentori.exe" "$stage/$name/"
# The build keeps its debugging information; the packages do not need it.
"${STRIP:-x86_64-w64-mingw32-strip}" "$stage/$name/zentori.exe"
cp -r "$bin/skin" "$stage/$name/"

rm -f "$out/$name-portable.zip"
(cd "$stage" && zip -q -r -X "$out/$name-portable.zip" "$name")
echo "package: $out/$name-portable.zip"

makensis -V2 -INPUTCHARSET UTF8 -DBIN_DIR="$stage/$name" -DOUT_FILE="$out/$name-setup.exe" \
    -DRESOURCES="$root/resources" "$root/packaging/zentori.nsi"
echo "package: $out/$name-setup.exe"
