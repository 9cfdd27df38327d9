#!/bin/bash
# Installs what the build and the tests need on a Debian 12 machine, once,
# then probes whether this host runs 32-bit programs (scripts/arch.sh; the
# answer is kept in BUILD-ROOT/host-i686.txt).
# Usage: scripts/setup.sh [build-root]     (default: ./build)
# Safe to run again: it only installs what is missing.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$here/build}
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in wine wine32:i386 wine64 g++-mingw-w64-i686 mingw-w64-i686-dev \
         g++-mingw-w64-x86-64 mingw-w64-x86-64-dev fonts-wine xvfb xauth \
         cmake ninja-build clang libclang-rt-14-dev googletest g++ python3 curl fp-utils \
         nlohmann-json3-dev python3-jsonschema; do
    have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    echo "setup: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -q i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
    rm -f "$root/host-i686.txt"   # what was installed may change the answer
fi
# The tests that run under code page 932 start Wine with LANG=ja_JP.UTF-8:
# Wine takes its ANSI code page from the locale, and maps non-ASCII file
# names to the disk only when the host has that locale generated.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    have locales || { $SUDO apt-get update -qq; DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends locales >/dev/null; }
    echo "setup: generating the ja_JP.UTF-8 locale"
    if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen >/dev/null
fi
. "$here/scripts/arch.sh"
vl_probe_i686 "$root"
