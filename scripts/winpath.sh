#!/bin/bash
# Prints the name a Wine prefix made by scripts/wine-run.sh gives a host file:
# the folder that holds the prefix is its drive T:, and nothing else of the
# host is visible. Usage: winpath.sh PREFIX-DIR PATH   (PATH below the folder
# holding the prefix; it need not exist yet)
set -e
[ $# -eq 2 ] || { echo "usage: winpath.sh PREFIX PATH" >&2; exit 2; }
share=$(cd "$(dirname "$1")" && pwd -P)
dir=$(dirname "$2")
mkdir -p "$dir"
path=$(cd "$dir" && pwd -P)/$(basename "$2")
case "$path" in
    "$share") echo 'T:\' ;;
    "$share"/*) rel=${path#"$share"/}; echo "T:\\${rel//\//\\}" ;;
    *) echo "winpath.sh: $2 is not below $share, which is all the prefix sees" >&2; exit 1 ;;
esac
