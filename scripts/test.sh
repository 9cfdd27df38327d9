#!/bin/bash
# Installs what is missing, builds everything and runs the whole test suite:
# the host-native unit tests and fuzzers, then the Win32 and end-to-end tests
# under Wine (private prefixes and virtual displays inside the build tree).
# Usage: scripts/test.sh [ctest arguments...]   e.g. scripts/test.sh -R Startup
#
# Both Windows builds are compiled. The Wine tests run the shipped 32-bit
# build (build/win) where the host runs 32-bit programs, else the 64-bit one
# (build/win64; scripts/arch.sh probes and says which); VL_ARCH=i686|x86_64
# forces the choice. Where the 32-bit build runs, the end-to-end scenarios
# (tests/e2e, CTest label "e2e") run on the 64-bit build as well.
set -e -o pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${VL_BUILD_ROOT:-$here/build}
root=$(mkdir -p "$root" && cd "$root" && pwd)
"$here/scripts/setup.sh" "$root"
. "$here/scripts/arch.sh"
vl_choose_arch "$root" || exit 2
"$here/scripts/build.sh" "$root"

# Every prefix of the builds (the shared one and those some tests keep to
# themselves) has its own server and virtual display: end them all.
cleanup() {
    for prefix in "$root"/win/wineprefix* "$root"/win64/wineprefix*; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        [ -f "$prefix.xvfb.pid" ] && kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
    done
}
trap cleanup EXIT

# One "cpu" slot per core; two tests more than cores may run, for the two
# interruption runs, which take no slot (see cmake/windows.cmake).
cores=$(nproc)
wine_tests() {   # TREE LOG [ctest arguments...]
    local tree=$1 log=$2
    shift 2
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"cpu": [{"id": "0", "slots": %d}]}]}\n' "$cores" \
        > "$tree/resources.json"
    ctest --test-dir "$tree" -j "$((cores + 2))" --resource-spec-file "$tree/resources.json" \
        --output-on-failure "$@" | tee "$log"
}

status=0
logs=("$root/host-tests.log")
ctest --test-dir "$root/host" -j "$cores" --output-on-failure "$@" | tee "$root/host-tests.log" || status=1
logs+=("$root/win-tests-$VL_ARCH.log")
echo "== Wine tests of the $VL_ARCH build ($VL_WIN_TREE)"
wine_tests "$VL_WIN_TREE" "$root/win-tests-$VL_ARCH.log" "$@" || status=1
if [ "$VL_ARCH" = i686 ] && [ -x "$VL_WINE64_LOADER" ]; then
    logs+=("$root/win-tests-x86_64-e2e.log")
    echo "== End-to-end scenarios of the x86_64 build ($root/win64)"
    wine_tests "$root/win64" "$root/win-tests-x86_64-e2e.log" -L e2e "$@" || status=1
fi

# One closing line over all runs. A GoogleTest skip is a CTest skip (the
# tests' SKIP_REGULAR_EXPRESSION), listed as "(Skipped)" among the tests that
# did not run.
sum() { grep -hEo "$1" "${logs[@]}" | grep -Eo "$2" | awk '{s+=$1} END {print s+0}'; }
total=$(sum 'tests failed out of [0-9]+' '[0-9]+$')
failed=$(sum '[0-9]+ tests failed out of' '^[0-9]+')
skipped=$(cat "${logs[@]}" | grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' || true)
if [ "$VL_HOST_RUNS_I686" != 1 ]; then
    echo "Note: the shipped 32-bit (i686) build was compiled (build/win) but cannot run on this host ($VL_HOST_I686_REASON); the Wine tests ran the x86_64 build."
fi
# (On such a host the closing line names the build that ran.)
closing="$((total - failed - skipped)) passed, $failed failed, $skipped skipped"
if [ "$VL_HOST_RUNS_I686" != 1 ]; then echo "x86_64: $closing"; else echo "$closing"; fi
[ "$failed" = 0 ] || status=1
exit $status
