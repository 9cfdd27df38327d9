#!/bin/bash
# Installs what the build and the tests need on a Debian 12 machine, once.
# Safe to run again: it only installs what is missing.
set -e
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in wine wine32:i386 wine64 g++-mingw-w64-i686 mingw-w64-i686-dev xvfb xauth \
         cmake ninja-build clang libclang-rt-14-dev googletest g++ python3 curl fp-utils; do
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
fi
