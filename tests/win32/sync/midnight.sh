#!/usr/bin/env bash
# Runs the midnight test with a fresh Wine server and simulator whose host
# clock (libfaketime) starts thirty seconds before 1 January 2027, 00:00 UTC.
#   midnight.sh TEST-PROGRAM
set -u
exe=$1
here=$(cd "$(dirname "$0")/.." && pwd)
lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -f "$lib" ] || { echo "libfaketime is missing"; exit 1; }
# The simulator is built with AddressSanitizer, which wants to load first.
export ASAN_OPTIONS=verify_asan_link_order=0
shift
/usr/lib/wine/wineserver -k 2>/dev/null
offset=$(( $(date -u -d '2027-01-01 00:00:00' +%s) - 30 - $(date -u +%s) ))
LD_PRELOAD=$lib FAKETIME="+$offset" "$here/wine-run.sh" "$exe" "$@"
rc=$?
# No later test may meet a Wine server that lives in the faked time.
/usr/lib/wine/wineserver -k 2>/dev/null
exit $rc
