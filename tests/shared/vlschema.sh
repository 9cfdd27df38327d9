#!/bin/sh
# A Unix program the Win32 tests start from inside the Wine prefix: checks a
# JSON file against a JSON Schema with Debian's validator (python3-jsonschema)
# and writes its verdict to a result file, last, in one move, so that the
# test can wait for that file to appear.
#   vlschema.sh SCHEMA INSTANCE RESULT     (Unix paths)
# RESULT holds the validator's messages and a last line "rc=N" (0: valid).
schema=$1 instance=$2 result=$3
[ -n "$result" ] || exit 2
/usr/bin/jsonschema -i "$instance" "$schema" >"$result.tmp" 2>&1
echo "rc=$?" >>"$result.tmp"
mv -f "$result.tmp" "$result"
