#!/bin/bash
# Installs what is missing, builds, lays down a sample installation in a
# private Wine prefix (build/demo/wineprefix) and uninstalls it silently,
# then shows the uninstall log and what changed on disk and in the registry.
# It runs the shipped 32-bit build where the host runs 32-bit programs, else
# the 64-bit build (build/demo64), and says so; VL_ARCH=i686|x86_64 forces it.
# Only the programs the demo uses are built.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
root=${VL_BUILD_ROOT:-$here/build}
root=$(mkdir -p "$root" && cd "$root" && pwd)
"$here/scripts/setup.sh" "$root"
. "$here/scripts/arch.sh"
vl_choose_arch "$root" || exit 2
targets=(avliunin _isuser vlfixture vlsnap isuninst localserver avliregn vl_product_standins)
VL_BUILD_ARCHS=$VL_ARCH "$here/scripts/build.sh" "$root" "${targets[@]}"
# The help file, where the build can compile one.
if cmake --build "$VL_WIN_TREE" --target help | grep -q '^vl_help_file:'; then
    cmake --build "$VL_WIN_TREE" --target vl_help_file >/dev/null
fi

if [ "$VL_ARCH" = x86_64 ]; then demo=$root/demo64; else demo=$root/demo; fi
mkdir -p "$demo"
echo "$VL_ARCH" > "$demo/wine-arch"
echo "== the $VL_ARCH build, in $demo"
prefix=$demo/wineprefix
run() { "$here/scripts/wine-run.sh" "$prefix" "$@"; }
cleanup() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    [ -f "$prefix.xvfb.pid" ] && kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
}
trap cleanup EXIT
# The prefix sees only the demo's folder (its drive T:): the programs and the
# demo's files are copied there.
winpath() { "$here/scripts/winpath.sh" "$prefix" "$1"; }
bin=$demo/bin
mkdir -p "$bin" "$demo/data"
cp "$VL_WIN_TREE"/bin/*.exe "$VL_WIN_TREE"/bin/*.dll "$bin/"
cp "$here/demo/installation.txt" "$here/demo/answers.rsp" "$demo/data/"
[ ! -f "$VL_WIN_TREE/bin/avlhlpaw.chm" ] || cp "$VL_WIN_TREE/bin/avlhlpaw.chm" "$bin/"

run "$bin/vlfixture.exe" install "$(winpath "$demo/data/installation.txt")"
drive=$prefix/drive_c
# Snapshots of the prefix (drive C:, the product's registry keys, services,
# system environment, common Programs and Startup folders; testkit/snapshot.h).
snapshot() { run "$bin/vlsnap.exe" take "$(winpath "$demo/data/$1.txt")" >/dev/null; }
snapshot before

echo "== avliunin.exe -S -F1<answers.rsp>"
# The installer's uninstall program (a stand-in the fixture laid down) writes
# down how it was started.
record=$demo/data/isuninst.txt
rm -f "$record"
export VL_ISUNINST_RECORD
VL_ISUNINST_RECORD=$(winpath "$record")
set +e
run "$bin/avliunin.exe" -S -F1"$(winpath "$demo/data/answers.rsp")"
code=$?
set -e
# It is started, not waited for.
for _ in $(seq 50); do [ -s "$record" ] && break; sleep 0.2; done
echo "== exit code: $code"
echo "== uninstall log (C:\\Varolink\\Data\\avlilogn.txt)"
cat "$drive/Varolink/Data/avlilogn.txt" 2>/dev/null | tr -d '\r' || echo "(no log)"
snapshot after
echo "== what went (-), what came (+) and what changed (~)"
run "$bin/vlsnap.exe" diff "$(winpath "$demo/data/before.txt")" "$(winpath "$demo/data/after.txt")" \
    | tr -d '\r' | sed 's/\t/    /; s/^/  /' || true
echo "== what stayed of the product"
tr -d '\r' < "$demo/data/after.txt" | grep -E 'Varolink|Norvik' | sed 's/\t/    /; s/^/  /' || echo "  (nothing)"
echo "== the installer's uninstall program was started as"
tr -d '\r' < "$record" 2>/dev/null | sed 's/^/  /' || echo "  (not started)"
