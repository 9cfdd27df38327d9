#!/bin/bash
# Builds everything: the Windows programs, stand-ins and Wine tests for i686
# (build/win, the shipped 32-bit build) and for x86_64 (build/win64, for hosts
# that cannot run 32-bit programs and for faults only a 64-bit address shows),
# and the host-native unit tests and fuzzers (build/host).
# Usage: scripts/build.sh [build-root] [target...]     (default: ./build)
# With targets (as scripts/demo.sh gives them) only those are built, in the
# Windows trees named by VL_BUILD_ARCHS (default "i686 x86_64"), and no host
# tree.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$here/build}
[ $# -gt 0 ] && shift
targets=("$@")
jobs=$(nproc)
for arch in ${VL_BUILD_ARCHS:-i686 x86_64}; do
    case $arch in
        i686) tree=$root/win ;;
        x86_64) tree=$root/win64 ;;
        *) echo "build.sh: unknown architecture '$arch' in VL_BUILD_ARCHS" >&2; exit 2 ;;
    esac
    cmake -S "$here" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw-$arch.cmake" >/dev/null
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$tree" -j "$jobs" --target "${targets[@]}"
    else
        cmake --build "$tree" -j "$jobs"
    fi
done
[ ${#targets[@]} -eq 0 ] || exit 0
cmake -S "$here" -B "$root/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$root/host" -j "$jobs"
