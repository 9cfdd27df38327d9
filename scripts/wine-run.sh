#!/bin/bash
# Runs one Windows program under Wine in a private prefix, on a virtual display.
# Usage: wine-run.sh PREFIX-DIR PROGRAM.exe [ARGS...]
# The prefix is created on first use and a virtual X display (Xvfb) is started
# for it when none is given in DISPLAY; both are shared by every program run
# against the same prefix. The user's own ~/.wine is never touched.
# VL_WINE_TIMEOUT (seconds, default 600) bounds every run: a GUI program whose
# window cannot be created would otherwise wait in its message loop for ever.
set -e
prefix=$1; shift
[ -n "$prefix" ] && [ $# -gt 0 ] || { echo "usage: wine-run.sh PREFIX PROGRAM [ARGS...]" >&2; exit 2; }
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

(
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
        rm -rf "$prefix"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        touch "$prefix/.ready"
    fi
    if [ -z "$DISPLAY" ]; then
        d=$(cat "$prefix.display" 2>/dev/null || true)
        if [ -z "$d" ] || ! kill -0 "$(cat "$prefix.xvfb.pid" 2>/dev/null)" 2>/dev/null; then
            rm -f "$prefix.display"
            Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$prefix.display" >/dev/null 2>&1 9>&- &
            echo $! > "$prefix.xvfb.pid"
            for _ in $(seq 100); do [ -s "$prefix.display" ] && break; sleep 0.1; done
        fi
    fi
) 9>"$prefix.lock"

[ -n "$DISPLAY" ] || export DISPLAY=:$(head -n1 "$prefix.display")
(
    flock 9
    # Start the prefix's server and its background programs (services,
    # desktop) detached from our output: started by the test's own program
    # they would inherit its output pipe and keep the test runner waiting.
    warm=0
    for pid in $(pgrep -f 'services.exe' 2>/dev/null); do
        grep -qz "^WINEPREFIX=$prefix\$" "/proc/$pid/environ" 2>/dev/null && warm=1
    done
    if [ $warm = 0 ]; then
        wineserver -p300 </dev/null >/dev/null 2>&1 9>&- || true
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$prefix.lock"
exec timeout -k 10 "${VL_WINE_TIMEOUT:-600}" wine "$@"
