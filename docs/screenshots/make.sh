#!/bin/bash
# Draws every wizard page under Wine and stores the pictures here as PNG.
# Usage: docs/screenshots/make.sh [build-root]   (default: ./build; the
# Windows build in build-root/win must contain wizardshots.exe)
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-$top/build}
prefix=$root/win/wineprefix
# The prefix sees only the build folder (its drive T:): the pictures are drawn there.
out=$root/win/shots
rm -rf "$out"
mkdir -p "$out"
trap 'rm -rf "$out"' EXIT
cp "$top/tests/wizard/unmanaged.reg" "$out/"
"$top/scripts/wine-run.sh" "$prefix" regedit /S "$("$top/scripts/winpath.sh" "$prefix" "$out/unmanaged.reg")"
VL_WINE_TIMEOUT=300 "$top/scripts/wine-run.sh" "$prefix" "$root/win/bin/wizardshots.exe" \
    "$("$top/scripts/winpath.sh" "$prefix" "$out")" >/dev/null
python3 "$here/bmp2png.py" "$out"/*.bmp
cp "$out"/*.png "$here/"
ls "$here"/*.png
