#!/bin/bash
# The configuration export's round trip: the script is written in the build's
# prefix, imported with Wine's own "regedit /s" into a clean second prefix and
# read back there by queue-manager discovery.
# Usage: roundtrip.sh WINE-RUN PREFIX CLEAN-PREFIX PROGRAM OUT-DIR OUT-DIR-IN-WINE
set -e
run=$1 prefix=$2 clean=$3 program=$4 out=$5 outwin=$6
# The clean prefix shares the build prefix's virtual display.
if [ -z "$DISPLAY" ] && [ -s "$prefix.display" ]; then export DISPLAY=:$(head -n1 "$prefix.display"); fi
end_clean() { [ -d "$clean" ] && WINEPREFIX=$clean wineserver -k 2>/dev/null || true; }
end_clean
rm -rf "$out" "$clean"
mkdir -p "$out"
trap end_clean EXIT

"$run" "$prefix" "$program" export "$outwin"
"$run" "$clean" regedit /s "$outwin\\Config.reg"
"$run" "$clean" "$program" check "$outwin"
