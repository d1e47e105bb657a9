#!/usr/bin/env bash
# Times synchronisation attempts under Wine against the GPS clock simulator.
#   scripts/bench-sync.sh [attempts]       (after `make build`)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$root/build/win32/bench-prefix" WINEDEBUG=-all HORALUX_TOOLS_DIR="$root/build/native/tools"
. "$root/scripts/wine-env.sh"
wine_prefix_init
start_simulator com5 || exit 1
/usr/lib/wine/wine64 "$root/build/win32/tools/sync-bench/sync-bench.exe" "${1:-20}" com5
rc=$?
stop_simulator
/usr/lib/wine/wineserver -k 2>/dev/null
exit $rc
