#!/bin/bash
# Fails when a Wine prefix below the given folders can reach the host outside
# its own build folder: a drive mapped to the root (or anywhere outside the
# folder that holds the prefix), or a link in the prefix (the user's shell
# folders, device links) that leads out of that folder.
# Usage: check_prefixes.sh FOLDER...      check_prefixes.sh --self-test
set -u

# check PREFIX: prints every escape and returns 1 when there is one.
check() {
    local prefix=$1 share bad=0 link target
    share=$(cd "$(dirname "$prefix")" && pwd -P)
    while IFS= read -r -d '' link; do
        target=$(readlink -m "$link")
        case "$target" in
            "$share"/*|"$share") ;;
            *) echo "escape: $link -> $(readlink "$link") ($target)"; bad=1 ;;
        esac
        [ "$target" != / ] || { echo "root drive: $link"; bad=1; }
    done < <(find "$prefix" -type l -print0 2>/dev/null)
    return $bad
}

# The check itself must catch Wine's defaults: a fake prefix with them fails.
if [ "${1:-}" = --self-test ]; then
    tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/p/dosdevices" "$tmp/p/drive_c/users/root"
    ln -s ../drive_c "$tmp/p/dosdevices/c:"
    ln -s / "$tmp/p/dosdevices/z:"
    check "$tmp/p" >/dev/null && { echo "a drive mapped to / went unnoticed"; exit 1; }
    rm "$tmp/p/dosdevices/z:"
    check "$tmp/p" >/dev/null || { echo "a clean prefix was refused"; exit 1; }
    ln -s "$(dirname "$tmp")" "$tmp/p/drive_c/users/root/Desktop"
    check "$tmp/p" >/dev/null && { echo "a link out of the build folder went unnoticed"; exit 1; }
    echo "self-test passed"
    exit 0
fi

found=0 status=0
for folder in "$@"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' dev; do
        prefix=$(dirname "$dev")
        found=$((found + 1))
        check "$prefix" || status=1
        echo "checked $prefix"
    done < <(find "$folder" -maxdepth 3 -type d -name dosdevices -print0)
done
[ $found -gt 0 ] || { echo "no Wine prefix found below $*"; exit 1; }
exit $status
