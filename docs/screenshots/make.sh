#!/bin/bash
# Draws every wizard page under Wine and stores the pictures here as PNG.
# Usage: docs/screenshots/make.sh [build-root]   (default: ./build; the
# Windows build in build-root/win must contain wizardshots.exe and checkshots.exe)
# The Stop-VL dialog and the two locked-file pages are drawn during a real run
# of avliunin.exe against a running sample installation (checkshots.exe).
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-$top/build}
prefix=$root/win/wineprefix
# The prefix sees only the folder that holds it (as T:).
out=$root/win/screenshots.tmp
rm -rf "$out"
mkdir -p "$out"
trap 'rm -rf "$out"' EXIT
cp "$top/tests/wizard/unmanaged.reg" "$out/"
"$top/scripts/wine-run.sh" "$prefix" regedit /S "$("$top/scripts/winpath.sh" "$prefix" "$out/unmanaged.reg")"
rm "$out/unmanaged.reg"
outwin=$("$top/scripts/winpath.sh" "$prefix" "$out")
VL_WINE_TIMEOUT=300 "$top/scripts/wine-run.sh" "$prefix" "$root/win/bin/wizardshots.exe" "$outwin" >/dev/null
VL_WINE_TIMEOUT=180 "$top/scripts/wine-run.sh" "$prefix" "$root/win/bin/checkshots.exe" "$outwin" >/dev/null
python3 "$here/bmp2png.py" "$out"/*.bmp
cp "$out"/*.png "$here/"
ls "$here"/*.png
