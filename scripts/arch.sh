# Sourced by the scripts that run Windows programs: chooses the build whose
# programs this host can run, and says why.
#
#   vl_choose_arch ROOT   sets VL_ARCH (i686 or x86_64), VL_WIN_TREE (ROOT/win
#                         or ROOT/win64) and VL_HOST_RUNS_I686 (1 or 0); prints
#                         one line when the host's limits decide; returns 1,
#                         with a message, when VL_ARCH asks for what cannot run.
#   vl_probe_i686 ROOT    the probe alone (cached in ROOT/host-i686.txt).
#
# The shipped programs are 32-bit (i686). They run under Wine's 32-bit loader,
# which needs a kernel that runs 32-bit Linux programs; some hosts (virtual
# machines without IA-32 emulation) have none, and there the 64-bit build
# (x86_64) runs under Wine's 64-bit loader instead. VL_ARCH=i686|x86_64
# forces the choice. VL_PROBE_NO_I686=1 makes the probe answer "cannot" (as
# if the 32-bit loader had failed) without asking it, to try that path on a
# host that has both; such an answer is never cached.

VL_WINE32_LOADER=/usr/lib/wine/wine
VL_WINE64_LOADER=/usr/lib/wine/wine64

vl_probe_i686() {
    local root=$1 cache=$1/host-i686.txt reason
    if [ -n "$VL_PROBE_NO_I686" ]; then
        VL_HOST_RUNS_I686=0
        VL_HOST_I686_REASON="VL_PROBE_NO_I686 is set: the probe answers as if Wine's 32-bit loader had failed"
        return 0
    fi
    if [ -s "$cache" ]; then
        VL_HOST_RUNS_I686=$(head -n1 "$cache")
        VL_HOST_I686_REASON=$(sed -n 2p "$cache")
        return 0
    fi
    if [ ! -x "$VL_WINE32_LOADER" ]; then
        VL_HOST_RUNS_I686=0
        VL_HOST_I686_REASON="Wine's 32-bit loader ($VL_WINE32_LOADER, package wine32:i386) is not installed"
    elif reason=$("$VL_WINE32_LOADER" --version 2>&1 </dev/null); then
        VL_HOST_RUNS_I686=1
        VL_HOST_I686_REASON="Wine's 32-bit loader runs ($reason)"
    else
        VL_HOST_RUNS_I686=0
        VL_HOST_I686_REASON="Wine's 32-bit loader does not run: $(echo "$reason" | tail -n1)"
    fi
    mkdir -p "$root"
    printf '%s\n%s\n' "$VL_HOST_RUNS_I686" "$VL_HOST_I686_REASON" > "$cache"
}

vl_choose_arch() {
    local root=$1
    vl_probe_i686 "$root"
    case "${VL_ARCH:-}" in
        "")
            if [ "$VL_HOST_RUNS_I686" = 1 ]; then
                VL_ARCH=i686
            else
                VL_ARCH=x86_64
                echo "This host cannot run 32-bit programs ($VL_HOST_I686_REASON): running the 64-bit (x86_64) build under wine64 instead of the shipped 32-bit one."
            fi ;;
        i686)
            if [ "$VL_HOST_RUNS_I686" != 1 ]; then
                echo "VL_ARCH=i686, but this host cannot run 32-bit programs ($VL_HOST_I686_REASON). Use VL_ARCH=x86_64, or leave VL_ARCH unset." >&2
                return 1
            fi ;;
        x86_64)
            if [ ! -x "$VL_WINE64_LOADER" ]; then
                echo "VL_ARCH=x86_64, but Wine's 64-bit loader ($VL_WINE64_LOADER, package wine64) is not installed." >&2
                return 1
            fi ;;
        *)
            echo "VL_ARCH must be i686 or x86_64, not '$VL_ARCH'." >&2
            return 1 ;;
    esac
    if [ "$VL_ARCH" = x86_64 ]; then VL_WIN_TREE=$root/win64; else VL_WIN_TREE=$root/win; fi
    export VL_ARCH
}
