#!/bin/sh
# A Unix program the Win32 tests start from inside the Wine prefix: it makes
# or removes a symbolic link, which Wine reports as a reparse point (the Win32
# calls that would make a junction are stubs under Wine).
#   vllink.sh ln TARGET LINK     vllink.sh rm LINK      (Unix paths)
case "$1" in
    ln) exec ln -s "$2" "$3" ;;
    rm) [ -L "$2" ] && exec rm -f "$2" ;;
esac
exit 0
