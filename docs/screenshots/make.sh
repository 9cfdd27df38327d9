#!/bin/bash
# Draws every wizard page under Wine and stores the pictures here as PNG.
# Usage: docs/screenshots/make.sh [build-root]   (default: ./build; the
# Windows build in build-root/win must contain wizardshots.exe)
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-$top/build}
prefix=$root/win/wineprefix
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$top/scripts/wine-run.sh" "$prefix" regedit /S "Z:${top//\//\\}\\tests\\wizard\\unmanaged.reg"
VL_WINE_TIMEOUT=120 "$top/scripts/wine-run.sh" "$prefix" "$root/win/bin/wizardshots.exe" "Z:${out//\//\\}" >/dev/null
python3 "$here/bmp2png.py" "$out"/*.bmp
cp "$out"/*.png "$here/"
ls "$here"/*.png
