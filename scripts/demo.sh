#!/bin/bash
# Installs what is missing, builds, lays down a sample installation in a
# private Wine prefix (build/demo/wineprefix) and uninstalls it silently,
# then shows the uninstall log and what changed on disk and in the registry.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
root=${VL_BUILD_ROOT:-$here/build}
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$root"

prefix=$root/demo/wineprefix
run() { "$here/scripts/wine-run.sh" "$prefix" "$@"; }
cleanup() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    [ -f "$prefix.xvfb.pid" ] && kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
}
trap cleanup EXIT
# The prefix sees only build/demo (its drive T:): the programs and the
# demo's files are copied there.
winpath() { "$here/scripts/winpath.sh" "$prefix" "$1"; }
bin=$root/demo/bin
mkdir -p "$bin" "$root/demo/data"
cp "$root"/win/bin/*.exe "$root"/win/bin/*.dll "$bin/"
cp "$here/demo/installation.txt" "$here/demo/answers.rsp" "$root/demo/data/"
[ ! -f "$root/win/bin/avlhlpaw.chm" ] || cp "$root/win/bin/avlhlpaw.chm" "$bin/"

run "$bin/vlfixture.exe" install "$(winpath "$root/demo/data/installation.txt")"
drive=$prefix/drive_c
# Snapshots of the prefix (drive C:, the product's registry keys, services,
# system environment, common Programs and Startup folders; testkit/snapshot.h).
snapshot() { run "$bin/vlsnap.exe" take "$(winpath "$root/demo/data/$1.txt")" >/dev/null; }
snapshot before

echo "== avliunin.exe -S -F1<answers.rsp>"
# The installer's uninstall program (a stand-in the fixture laid down) writes
# down how it was started.
record=$root/demo/data/isuninst.txt
rm -f "$record"
export VL_ISUNINST_RECORD
VL_ISUNINST_RECORD=$(winpath "$record")
set +e
run "$bin/avliunin.exe" -S -F1"$(winpath "$root/demo/data/answers.rsp")"
code=$?
set -e
# It is started, not waited for.
for _ in $(seq 50); do [ -s "$record" ] && break; sleep 0.2; done
echo "== exit code: $code"
echo "== uninstall log (C:\\Varolink\\Data\\avlilogn.txt)"
cat "$drive/Varolink/Data/avlilogn.txt" 2>/dev/null | tr -d '\r' || echo "(no log)"
snapshot after
echo "== what went (-), what came (+) and what changed (~)"
run "$bin/vlsnap.exe" diff "$(winpath "$root/demo/data/before.txt")" "$(winpath "$root/demo/data/after.txt")" \
    | tr -d '\r' | sed 's/\t/    /; s/^/  /' || true
echo "== what stayed of the product"
tr -d '\r' < "$root/demo/data/after.txt" | grep -E 'Varolink|Norvik' | sed 's/\t/    /; s/^/  /' || echo "  (nothing)"
echo "== the installer's uninstall program was started as"
tr -d '\r' < "$record" 2>/dev/null | sed 's/^/  /' || echo "  (not started)"
