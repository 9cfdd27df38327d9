#!/bin/bash
# Benchmark of a large removal (not a test: it reports figures).
#
# For each size (10,000 and 20,000 files in 200 folders, all named by the one
# component list of the development toolkit) and each removal (a silent
# REMOVECOMPONENTS of the toolkit, a silent REMOVE of the whole installation)
# it runs, in turn and each time over a freshly laid down identical tree in
# the same Wine prefix:
#   product  avliunin.exe -S with the response file
#   (a)      vlbench_plain: DeleteFileA / RemoveDirectoryA over the same list
#   (b)      vlbench_logged: per file the lock test, the deletion and one log
#            line appended the way the uninstall log appends; then the folders
#   preview  avliunin.exe -S with the same response file and "Preview=YES"
#            (its own -G log), over the same tree
# and reports the median wall time of each (every run includes starting the
# program under Wine), the product's and (b)'s fastest runs, the busy
# processor time of each (all processes, from /proc/stat) and the time the
# host stole, and whether the preview takes no longer than the real removal
# (the requirement). The waits the uninstaller makes by design (1 s after
# each component, the 100 ms silent timer of each page, 200 ms per queue
# manager, 1 s per retry of a folder in use) are counted from its log,
# reported apart and left out of the ratios. The uninstall log's time stamps
# of the last product run of each case show where its time went.
#
# Usage: scripts/bench.sh [RUNS] [SIZES]     e.g. scripts/bench.sh 5 "10000 20000"
#
# Clicked mode: scripts/bench.sh clicked [RUNS] [SIZES] times the locked-file
# check alone, on the uninstaller's pages (vlbench_check: from the
# Checking-locked-files page's coming to the removal page's), over the same
# toolkit list, once silent and once clicked through the pages, and reports
# the medians and the clicked/silent ratio (goal: at most 2).
# Needs a build (scripts/build.sh). Works in its own prefix, build/bench/wineprefix
# (build/bench64 for the x86_64 build, which runs where the host cannot run
# 32-bit programs, or with VL_ARCH=x86_64; see scripts/arch.sh), or in the
# folder VL_BENCH_DIR names. On a disk that stalls now and then (a virtual
# machine's, say) single runs can take several times as long as their
# neighbours; a RAM disk (VL_BENCH_DIR=/dev/shm/vlbench) gives steady figures.
set -e -o pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${VL_BUILD_ROOT:-$here/build}
root=$(mkdir -p "$root" && cd "$root" && pwd)
. "$here/scripts/arch.sh"
vl_choose_arch "$root" || exit 2
mode=removal
if [ "$1" = clicked ]; then mode=clicked; shift; fi
runs=${1:-5}
sizes=${2:-"10000 20000"}
[ "$mode" = clicked ] && sizes=${2:-10000}
folders=200
if [ "$VL_ARCH" = x86_64 ]; then out=$root/bench64; else out=$root/bench; fi
out=${VL_BENCH_DIR:-$out}
prefix=$out/wineprefix
drive=$prefix/drive_c
mkdir -p "$out"
echo "$VL_ARCH" > "$out/wine-arch"
echo "the $VL_ARCH build ($VL_WIN_TREE)"

cleanup() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    [ -f "$prefix.xvfb.pid" ] && kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
}
trap cleanup EXIT
run() { "$here/scripts/wine-run.sh" "$prefix" "$@"; }

# The prefix sees one host folder, the one holding it, as T: (see
# scripts/wine-run.sh): the programs go to its bin folder, which is where the
# fixture installer looks for the NLS library; the generated descriptions
# and answers live inside the prefix (C:\bench).
run cmd /c exit >/dev/null 2>&1 || true
mkdir -p "$out/bin" "$drive/bench"
for f in avliunin.exe _isuser.dll vlfixture.exe vlbench_plain.exe vlbench_logged.exe vlbench_check.exe; do
    cp "$VL_WIN_TREE/bin/$f" "$out/bin/"
done
B='T:\bin'
# The display has no window manager: as in the tests, the program's windows
# are unmanaged, so that Wine does not wait two seconds at each page change
# for a window manager to withdraw the page it takes down.
cp "$here/tests/wizard/unmanaged.reg" "$out/"
run regedit /S 'T:\unmanaged.reg' >/dev/null 2>&1 || true

describe() {   # size -> C:\bench\inst-SIZE.txt
    local size=$1 per=$(( $1 / folders ))
    {
        echo "release 5.1"
        echo "root C:\\Varolink"
        echo "component Development Toolkit"
        awk -v n="$folders" -v per="$per" 'BEGIN {
            for (d = 0; d < n; d++) for (f = 0; f < per; f++)
                printf "listline toolkit \\tools\\bench\\d%03d\\f%05d.h\n", d, d * per + f }'
    } | sed 's/$/\r/' > "$drive/bench/inst-$size.txt"
}
printf '[Varolink]\r\nVarolink=REMOVECOMPONENTS\r\nLockedFiles=CONTINUE\r\n[Components]\r\nDevelopment Toolkit=REMOVE\r\nLocal Clients\\Windows NT Client=KEEP\r\nLocal Clients\\Java Client=KEEP\r\nInternet Gateway=KEEP\r\nDocumentation\\Internet Gateway=KEEP\r\n' > "$drive/bench/components.rsp"
printf '[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n' > "$drive/bench/remove.rsp"
# The previews: the same answers with "Preview=YES" in the "Varolink" stanza.
for case in components remove; do
    sed '1a Preview=YES\r' "$drive/bench/$case.rsp" > "$drive/bench/$case-preview.rsp"
done
preview_log=$drive/bench/preview.txt

log=$drive/Varolink/Data/avlilogn.txt
# The new tree is written out before the clock starts: its write-back would
# otherwise land inside whichever timed run comes next.
fresh() { run "$B\\vlfixture.exe" install "C:\\bench\\inst-$1.txt" >/dev/null; rm -f "$log" "$drive/Varolink/Data/bench.log"; sync; }
seconds() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.3f\n\", $1 }"; }
# The machine's busy and stolen processor ticks so far (/proc/stat: user, nice,
# system, irq, softirq; steal): the work a run costs, counted over every
# process (the program, the Wine server, the display), and the time the
# virtual machine's host took away from it.
ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8, $9 }' /proc/stat; }
hz=$(getconf CLK_TCK)
# timed FILE COMMAND...: appends the wall time to FILE, the busy processor
# seconds to FILE.cpu and the stolen seconds to FILE.steal.
timed() {
    local file=$1 t0 t1 b0 s0 b1 s1; shift
    read -r b0 s0 < <(ticks); t0=$(seconds)
    run "$@" >/dev/null 2>&1 || true
    t1=$(seconds); read -r b1 s1 < <(ticks)
    calc "$t1 - $t0" >> "$file"
    calc "($b1 - $b0) / $hz" >> "$file.cpu"
    calc "($s1 - $s0) / $hz" >> "$file.steal"
}
minimum() { sort -g | head -n 1; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Waits by design, from the log of a product run (or the log given).
design_waits() {
    local file=${1:-$log}
    [ -f "$file" ] || { echo 0; return; }
    tr -d '\r' < "$file" | awk '
        / Finished uninstalling / { w += 1.0 }
        / ->(Main|Confirm|Select|Ask|Checking-locked-files|Component-deletion-complete|All-deletion-complete)/ { w += 0.1 }
        / Delete path in use; waiting/ { w += 1.0 }
        END { printf "%.1f\n", w }'
}
# Where the time went: the stamps of the run's landmarks.
landmarks() {
    tr -d '\r' < "$log" | grep -E ' (Launch folder|->|Uninstalling |Finished uninstalling|Deleting obsolete|Processing (program|data|log)|Broadcasting|Refreshing|Starting UninstallShield|Uninstallation ended)' | sed 's/^/    /'
}

if [ "$mode" = clicked ]; then
    for size in $sizes; do
        describe "$size"
        rm -f "$out/check-$size".*
        for i in $(seq "$runs"); do
            fresh "$size"; run "$B\\vlbench_check.exe" silent 'C:\bench\components.rsp' 2>/dev/null | tr -d '\r' | grep -E '^[0-9]+$' >> "$out/check-$size.silent" || true
            fresh "$size"; run "$B\\vlbench_check.exe" clicked 2>/dev/null | tr -d '\r' | grep -E '^[0-9]+$' >> "$out/check-$size.clicked" || true
        done
        s=$(median < "$out/check-$size.silent"); c=$(median < "$out/check-$size.clicked")
        printf 'locked-file check %6s files: silent %6.2f s  clicked %6.2f s  clicked/silent %5.2f\n' \
            "$size" "$(calc "$s / 1000")" "$(calc "$c / 1000")" "$(calc "$c / $s")"
        run "$B\\vlfixture.exe" remove "C:\\bench\\inst-$size.txt" >/dev/null 2>&1 || true
    done
    exit 0
fi

declare -A result
for size in $sizes; do
    describe "$size"
    for case in components remove; do
        rm -f "$out/$case-$size".*
        for i in $(seq "$runs"); do
            fresh "$size"; timed "$out/$case-$size.product" "$B\\avliunin.exe" -S "-F1C:\\bench\\$case.rsp"
            design_waits >> "$out/$case-$size.waits"
            [ "$i" = "$runs" ] && { cp "$log" "$out/$case-$size.log" 2>/dev/null || true; }
            fresh "$size"; timed "$out/$case-$size.plain" "$B\\vlbench_plain.exe" 'C:\Varolink\Program\uninst\toolkit.u00' 'C:\Varolink\Program'
            fresh "$size"; timed "$out/$case-$size.logged" "$B\\vlbench_logged.exe" 'C:\Varolink\Program\uninst\toolkit.u00' 'C:\Varolink\Program' 'C:\Varolink\Data\bench.log'
            fresh "$size"; rm -f "$preview_log" "${preview_log%.txt}.json"
            timed "$out/$case-$size.preview" "$B\\avliunin.exe" -S "-F1C:\\bench\\$case-preview.rsp" '-GC:\bench\preview.txt'
            design_waits "$preview_log" >> "$out/$case-$size.pwaits"
            [ "$i" = "$runs" ] && { cp "$preview_log" "$out/$case-$size.preview.log" 2>/dev/null || true; }
        done
        p=$(median < "$out/$case-$size.product"); w=$(median < "$out/$case-$size.waits")
        a=$(median < "$out/$case-$size.plain"); b=$(median < "$out/$case-$size.logged")
        net=$(calc "$p - $w")
        result[$case-$size]=$net
        printf '%-10s %6s files: product %7.2f s (waits by design %4.1f s, net %7.2f s)  (a) %6.2f s  (b) %6.2f s  net/(b) %5.2f  net/(a) %5.2f\n' \
            "$case" "$size" "$p" "$w" "$net" "$a" "$b" "$(calc "$net / $b")" "$(calc "$net / $a")"
        # Outside load only ever adds time: the fastest run of each is the
        # least disturbed measurement of what it costs.
        pm=$(minimum < "$out/$case-$size.product"); bm=$(minimum < "$out/$case-$size.logged")
        printf '%-10s %6s files: fastest  product %7.2f s (net %7.2f s)  (b) %6.2f s  net/(b) %5.2f\n' \
            "$case" "$size" "$pm" "$(calc "$pm - $w")" "$bm" "$(calc "($pm - $w) / $bm")"
        # Busy processor time spends nothing on the waits by design, and the
        # host's stealing does not count in it.
        pc=$(median < "$out/$case-$size.product.cpu"); bc=$(median < "$out/$case-$size.logged.cpu")
        ps=$(median < "$out/$case-$size.product.steal"); bs=$(median < "$out/$case-$size.logged.steal")
        printf '%-10s %6s files: processor product %7.2f s  (b) %6.2f s  product/(b) %5.2f  (stolen: product %4.2f s, (b) %4.2f s)\n' \
            "$case" "$size" "$pc" "$bc" "$(calc "$pc / $bc")" "$ps" "$bs"
        v=$(median < "$out/$case-$size.preview"); vw=$(median < "$out/$case-$size.pwaits")
        verdict=met; awk "BEGIN { exit !($v > $p) }" && verdict=MISSED
        printf '%-10s %6s files: preview %7.2f s (waits by design %4.1f s, net %7.2f s)  removal %7.2f s  preview/removal %5.2f  a preview takes no longer than the real removal: %s\n' \
            "$case" "$size" "$v" "$vw" "$(calc "$v - $vw")" "$p" "$(calc "$v / $p")" "$verdict"
        if [ -f "$out/$case-$size.log" ]; then
            echo "  landmarks of the last product run:"
            log=$out/$case-$size.log landmarks
            log=$drive/Varolink/Data/avlilogn.txt
        fi
    done
done
set -- $sizes
if [ $# -ge 2 ]; then
    for case in components remove; do
        printf '%-10s net %s/%s files: %.2f\n' "$case" "$2" "$1" "$(calc "${result[$case-$2]} / ${result[$case-$1]}")"
    done
fi
run "$B\\vlfixture.exe" remove "C:\\bench\\inst-${1}.txt" >/dev/null 2>&1 || true
