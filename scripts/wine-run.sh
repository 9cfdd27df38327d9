#!/bin/bash
# Runs one Windows program under Wine in a private prefix, on a virtual display.
# Usage: wine-run.sh PREFIX-DIR PROGRAM.exe [ARGS...]
# The prefix is created on first use and a virtual X display (Xvfb) is started
# for it when none is given in DISPLAY; both are shared by every program run
# against the same prefix. The user's own ~/.wine is never touched.
# VL_WINE_TIMEOUT (seconds, default 600) bounds every run: a GUI program whose
# window cannot be created would otherwise wait in its message loop for ever.
#
# The prefix is a sandbox: the programs under test delete files, and Wine's
# defaults would hand them the whole host (drive Z: is the Unix root, the
# user's Desktop, Documents and the like are links to the host's home). Every
# run takes those away again (a prefix made before is mended on its next use):
# the only host folder the prefix sees is the folder that holds it, as drive
# T: (tests find their programs there as T:\bin; scripts/winpath.sh gives the
# T: name of a file below it). The drive's folder must not be the root.
#
# The loader: a folder holding prefixes names the build its programs come
# from in its file "wine-arch" (i686 or x86_64; every Windows build tree has
# one, and so do the folders of the demo and the benchmark); VL_WINE_ARCH
# overrides it. i686 runs through the "wine" command, as usual. x86_64 calls
# Wine's 64-bit loader directly (and names it in WINELOADER): the "wine"
# command picks the 32-bit loader whenever it is installed, and a host
# without 32-bit support cannot run that.
set -e
prefix=$1; shift
[ -n "$prefix" ] && [ $# -gt 0 ] || { echo "usage: wine-run.sh PREFIX PROGRAM [ARGS...]" >&2; exit 2; }
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd -P)/$(basename "$prefix")
share=$(dirname "$prefix")
[ "$share" != / ] || { echo "wine-run.sh: the prefix must not sit in the root folder" >&2; exit 2; }
arch=${VL_WINE_ARCH:-$(head -n1 "$share/wine-arch" 2>/dev/null || true)}
case "${arch:-i686}" in
    i686) loader=wine ;;
    x86_64)
        loader=/usr/lib/wine/wine64
        [ -x "$loader" ] || { echo "wine-run.sh: Wine's 64-bit loader ($loader, package wine64) is not installed" >&2; exit 2; }
        export WINELOADER=$loader ;;
    *) echo "wine-run.sh: unknown architecture '$arch' (from VL_WINE_ARCH or $share/wine-arch)" >&2; exit 2 ;;
esac
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# Wine's menu builder is off: every shortcut a test or the demo saves would
# otherwise start one that waits for ever, and each holds a connection to
# the virtual display until its client limit is reached.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Drives: only C: (the prefix's own drive_c) and T: (the folder holding the
# prefix); every other device link (Z: to the root, serial ports, raw disks)
# goes (the prefix's device manager adds serial ports each time it starts, so
# this runs after the start). Links in drive_c that lead out of the prefix (the user's shell folders)
# become real, empty folders. Nothing changes on a prefix already sandboxed.
sandbox() {
    local dd=$prefix/dosdevices link target
    [ -d "$dd" ] || return 0
    for link in "$dd"/* "$dd"/.[!.]*; do
        [ -L "$link" ] || continue
        case "${link##*/}" in
            c:) [ "$(readlink "$link")" = ../drive_c ] && continue ;;
            t:) [ "$(readlink "$link")" = "$share" ] && continue ;;
        esac
        rm -f "$link"
    done
    [ -L "$dd/c:" ] || ln -s ../drive_c "$dd/c:"
    [ -L "$dd/t:" ] || ln -s "$share" "$dd/t:"
    while IFS= read -r -d '' link; do
        target=$(readlink -f "$link" || true)
        case "$target" in "$prefix"/*) continue ;; esac
        rm -f "$link"
        mkdir -p "$link"
    done < <(find "$prefix/drive_c" -type l -print0 2>/dev/null)
    # Keeps Wine from bringing the links back when it updates the prefix.
    [ "$(cat "$prefix/.update-timestamp" 2>/dev/null)" = disable ] || echo disable > "$prefix/.update-timestamp"
}

(
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
        rm -rf "$prefix"
        # A prefix that could not be made stops here, saying why (the
        # loader's own last words), not at the first program run in it.
        boot=0
        "$loader" wineboot -i >"$prefix.boot.log" 2>&1 9>&- || boot=$?
        wineserver -w 9>&- || true
        if [ $boot != 0 ] || [ ! -f "$prefix/system.reg" ]; then
            echo "wine-run.sh: could not create the Wine prefix $prefix: '$loader wineboot -i' ended with exit code $boot$([ -f "$prefix/system.reg" ] || echo ' and left no registry'):" >&2
            grep -v '^[[:space:]]*$' "$prefix.boot.log" | tail -n 5 | sed 's/^/  /' >&2
            [ "$arch" = x86_64 ] || echo "  (a host that cannot run 32-bit programs runs the x86_64 build: VL_ARCH=x86_64)" >&2
            exit 3
        fi
        rm -f "$prefix.boot.log"
        echo "${arch:-i686}" > "$prefix/.ready"
    fi
    # Wine's symbol font, from Debian's fonts-wine: this Wine looks for its
    # own fonts beside its data folder, not in it, and without Marlett every
    # caption's close box shows the letter "r". Only this font is added: the
    # text fonts would change the size of every dialog under test.
    fonts=$prefix/drive_c/windows/Fonts
    if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
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
    sandbox
    warm=0
    for pid in $(pgrep -f 'services.exe' 2>/dev/null); do
        grep -qz "^WINEPREFIX=$prefix\$" "/proc/$pid/environ" 2>/dev/null && warm=1
    done
    if [ $warm = 0 ]; then
        wineserver -p300 </dev/null >/dev/null 2>&1 9>&- || true
        "$loader" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
    # After the start: the device manager adds its serial-port links then.
    sandbox
) 9>"$prefix.lock"
# The program writes to a file that is passed on as it grows, not to our own
# output: a process it leaves behind in the prefix (the desktop process Wine
# starts for the first window, or the console host of a console program kept
# alive by one) would otherwise hold our output open, and whoever reads it
# (CTest) would wait for it until its time limit.
output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
program= follower=
trap 'rm -f "$output"' EXIT
trap 'kill $program $follower 2>/dev/null; exit 143' TERM INT
timeout -k 10 "${VL_WINE_TIMEOUT:-600}" "$loader" "$@" 0<&0 >"$output" 2>&1 &
program=$!
tail -s 0.05 -n +1 -f --pid=$program "$output" &
follower=$!
status=0
wait $program || status=$?
wait $follower || true
exit $status
