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
snapshot() {
    (cd "$drive" && find Varolink 2>/dev/null | sort) > "$1.files"
    run reg query 'HKLM\Software\Norvik' /s 2>/dev/null | tr -d '\r' > "$1.reg" || true
}
snapshot "$root/demo/before"

echo "== avliunin.exe -S -F1<answers.rsp>"
set +e
run "$bin/avliunin.exe" -S -F1"$(winpath "$root/demo/data/answers.rsp")"
code=$?
set -e
echo "== exit code: $code"
echo "== uninstall log (C:\\Varolink\\Data\\avlilogn.txt)"
cat "$drive/Varolink/Data/avlilogn.txt" 2>/dev/null | tr -d '\r' || echo "(no log)"
snapshot "$root/demo/after"
echo "== files removed"
comm -23 "$root/demo/before.files" "$root/demo/after.files" | sed 's/^/  /'
echo "== registry changes (- before, + after)"
diff "$root/demo/before.reg" "$root/demo/after.reg" | grep '^[<>]' | sed 's/^</  -/; s/^>/  +/' || true
