#!/bin/bash
# Usage: arch_test.sh SOURCE-DIR WORK-DIR
# The architecture choice of scripts/arch.sh under each answer of the probe
# and each VL_ARCH, and scripts/wine-run.sh stopping with the cause when the
# prefix cannot be made. Prints "ok" per check, "FAIL: ..." and exit 1 on the
# first wrong answer.
set -u
top=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; }

# Runs vl_choose_arch in a clean shell: prints its output, then the choice.
choose() {   # ROOT [VAR=VALUE...]
    local root=$1
    shift
    env -u VL_ARCH -u VL_PROBE_NO_I686 "$@" bash -c '. "$0/scripts/arch.sh"; vl_choose_arch "$1" || exit $?;
        echo "chosen $VL_ARCH $VL_WIN_TREE"' "$top" "$root" 2>&1
}

# A probe that says "cannot" (kept from an earlier run of setup): x86_64, and one line saying why.
root=$work/no32
mkdir -p "$root"
printf '0\nWine'"'"'s 32-bit loader does not run: Exec format error\n' > "$root/host-i686.txt"
out=$(choose "$root") || fail "no 32-bit: exit $?: $out"
[ "$(echo "$out" | tail -n1)" = "chosen x86_64 $root/win64" ] || fail "no 32-bit: $out"
echo "$out" | grep -q "cannot run 32-bit programs (Wine's 32-bit loader does not run: Exec format error)" \
    || fail "no 32-bit: no reason given: $out"
[ "$(echo "$out" | wc -l)" = 2 ] || fail "no 32-bit: one line expected before the choice: $out"
ok "a host without 32-bit support runs the x86_64 build and says why"

out=$(choose "$root" VL_ARCH=i686); code=$?
[ $code = 1 ] || fail "VL_ARCH=i686 on a host without 32-bit support: exit $code: $out"
echo "$out" | grep -q "VL_ARCH=i686, but this host cannot run 32-bit programs (Wine's 32-bit loader does not run: Exec format error)" \
    || fail "VL_ARCH=i686 refused without its reason: $out"
ok "VL_ARCH=i686 fails clearly where 32-bit programs cannot run"

out=$(choose "$root" VL_ARCH=arm64); code=$?
[ $code = 1 ] && echo "$out" | grep -q "VL_ARCH must be i686 or x86_64, not 'arm64'" || fail "unknown VL_ARCH: $code $out"
ok "an unknown VL_ARCH is refused"

# A probe that says "can": i686 silently; VL_ARCH=x86_64 is obeyed.
root=$work/both
mkdir -p "$root"
printf '1\nWine'"'"'s 32-bit loader runs\n' > "$root/host-i686.txt"
out=$(choose "$root") || fail "both: exit $?: $out"
[ "$out" = "chosen i686 $root/win" ] || fail "both: $out"
if [ -x /usr/lib/wine/wine64 ]; then
    out=$(choose "$root" VL_ARCH=x86_64) || fail "both, VL_ARCH=x86_64: exit $?: $out"
    [ "$out" = "chosen x86_64 $root/win64" ] || fail "both, VL_ARCH=x86_64: $out"
fi
ok "a host that runs both runs the i686 build unless told otherwise"

# The pretended failure: said as such, and not kept for the next run.
out=$(choose "$root" VL_PROBE_NO_I686=1) || fail "pretended: exit $?: $out"
echo "$out" | grep -q "VL_PROBE_NO_I686 is set" || fail "pretended failure not named: $out"
[ "$(echo "$out" | tail -n1)" = "chosen x86_64 $root/win64" ] || fail "pretended: $out"
[ "$(head -n1 "$root/host-i686.txt")" = 1 ] || fail "the pretended answer was cached"
ok "VL_PROBE_NO_I686 pretends the probe failed, says so and is not cached"

# A prefix that cannot be made (the loader cannot execute): the runner stops
# with exit code 3 and the loader's own words, and never marks it ready.
mkdir -p "$work/fakebin" "$work/share"
printf '#!/bin/sh\necho "wine: cannot execute binary file: Exec format error" >&2\nexit 126\n' > "$work/fakebin/wine"
chmod +x "$work/fakebin/wine"
echo i686 > "$work/share/wine-arch"
out=$(PATH=$work/fakebin:$PATH DISPLAY=:99 "$top/scripts/wine-run.sh" "$work/share/wineprefix" cmd /c exit 2>&1); code=$?
[ $code = 3 ] || fail "failed prefix: exit $code: $out"
echo "$out" | grep -q "could not create the Wine prefix $work/share/wineprefix: 'wine wineboot -i' ended with exit code 126" \
    || fail "failed prefix: no cause: $out"
echo "$out" | grep -q "Exec format error" || fail "failed prefix: the loader's words missing: $out"
echo "$out" | grep -q "touch" && fail "failed prefix: $out"
[ ! -e "$work/share/wineprefix/.ready" ] || fail "a failed prefix was marked ready"
ok "a prefix that cannot be made stops the run with its cause"
