#!/usr/bin/env bash
# Runs a Windows test program under Wine: private prefix, a display of its own
# when none is given, and the GPS clock simulator linked as COM5.
#   wine-run.sh program.exe [arguments]
# Environment: WINEPREFIX (required), HORALUX_TOOLS_DIR (native tools folder).
set -u
exe=$1; shift

: "${WINEPREFIX:?WINEPREFIX must name the private prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

wine_prefix_init
start_display
start_simulator com5

/usr/lib/wine/wine64 "$exe" "$@"
rc=$?

stop_simulator
stop_display
exit $rc
