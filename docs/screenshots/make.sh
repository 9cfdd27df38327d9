#!/bin/bash
# Draws every wizard page under Wine and stores the pictures here as PNG.
# Usage: docs/screenshots/make.sh [build-root]   (default: ./build; the
# Windows build must contain wizardshots.exe and checkshots.exe: build-root/win,
# or build-root/win64 where the host cannot run 32-bit programs or with
# VL_ARCH=x86_64, see scripts/arch.sh)
# The Stop-VL dialog and the two locked-file pages are drawn during a real run
# of avliunin.exe against a running sample installation (checkshots.exe).
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-$top/build}
root=$(cd "$root" && pwd)
. "$top/scripts/arch.sh"
vl_choose_arch "$root" || exit 2
prefix=$VL_WIN_TREE/wineprefix
# The prefix sees only the folder that holds it (as T:).
out=$VL_WIN_TREE/screenshots.tmp
rm -rf "$out"
mkdir -p "$out"
trap 'rm -rf "$out"' EXIT
cp "$top/tests/wizard/unmanaged.reg" "$out/"
"$top/scripts/wine-run.sh" "$prefix" regedit /S "$("$top/scripts/winpath.sh" "$prefix" "$out/unmanaged.reg")"
rm "$out/unmanaged.reg"
outwin=$("$top/scripts/winpath.sh" "$prefix" "$out")
VL_WINE_TIMEOUT=300 "$top/scripts/wine-run.sh" "$prefix" "$VL_WIN_TREE/bin/wizardshots.exe" "$outwin" >/dev/null
VL_WINE_TIMEOUT=180 "$top/scripts/wine-run.sh" "$prefix" "$VL_WIN_TREE/bin/checkshots.exe" "$outwin" >/dev/null
python3 "$here/bmp2png.py" "$out"/*.bmp
cp "$out"/*.png "$here/"
ls "$here"/*.png
