#!/bin/bash
# Installs what is missing, builds everything and runs the whole test suite:
# the host-native unit tests and fuzzers, then the Win32 and end-to-end tests
# under Wine (private prefix and virtual display inside the build tree).
# Usage: scripts/test.sh [ctest arguments...]   e.g. scripts/test.sh -R Startup
set -e -o pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${VL_BUILD_ROOT:-$here/build}
root=$(mkdir -p "$root" && cd "$root" && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$root"

# Every prefix of the build (the shared one and those some tests keep to
# themselves) has its own server and virtual display: end them all.
cleanup() {
    for prefix in "$root"/win/wineprefix*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        [ -f "$prefix.xvfb.pid" ] && kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
    done
}
trap cleanup EXIT

status=0
ctest --test-dir "$root/host" -j "$(nproc)" --output-on-failure "$@" | tee "$root/host-tests.log" || status=1
# One "cpu" slot per core; two tests more than cores may run, for the two
# interruption runs, which take no slot (see cmake/windows.cmake).
cores=$(nproc)
printf '{"version": {"major": 1, "minor": 0}, "local": [{"cpu": [{"id": "0", "slots": %d}]}]}\n' "$cores" \
    > "$root/win/resources.json"
ctest --test-dir "$root/win" -j "$((cores + 2))" --resource-spec-file "$root/win/resources.json" \
    --output-on-failure "$@" | tee "$root/win-tests.log" || status=1

# One closing line over both runs.
total=$(grep -hEo 'tests failed out of [0-9]+' "$root/host-tests.log" "$root/win-tests.log" | grep -Eo '[0-9]+$' | awk '{s+=$1} END {print s+0}')
failed=$(grep -hEo '[0-9]+ tests failed out of' "$root/host-tests.log" "$root/win-tests.log" | grep -Eo '^[0-9]+' | awk '{s+=$1} END {print s+0}')
echo "$((total - failed)) passed, $failed failed"
[ "$failed" = 0 ] || status=1
exit $status
