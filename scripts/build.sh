#!/bin/bash
# Builds everything: the Windows programs and their Wine tests (build/win)
# and the host-native unit tests and fuzzers (build/host).
# Usage: scripts/build.sh [build-root]     (default: ./build)
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$here/build}
jobs=$(nproc)
cmake -S "$here" -B "$root/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$root/win" -j "$jobs"
cmake -S "$here" -B "$root/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$root/host" -j "$jobs"
