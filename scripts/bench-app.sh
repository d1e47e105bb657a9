#!/usr/bin/env bash
# Figures of the running program under Wine and Xvfb (after `make build`):
# executable size, start-up time to a visible dialog, CPU time and memory over
# a stretch idle and visible, one idle and hidden in the tray (next to each
# other), and one synchronising every second against the simulated clock.
#   scripts/bench-app.sh [seconds per stretch, default 60]
set -u -o pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
win32="$root/build/win32"
exe="$win32/app/horalux.exe"
driver_exe="$win32/tools/window-driver/window-driver.exe"
caption="Orvanel Systems, Inc. GPS Clock"
export WINEPREFIX="$win32/bench-app-prefix" WINEDEBUG=-all HORALUX_TOOLS_DIR="$root/build/native/tools"
. "$root/scripts/wine-env.sh"

wine_prefix_init
start_display
start_simulator com1 --align || exit 1
printf '[Communication]\r\nCommPort=com1\r\n[Update]\r\nFrequency=1\r\n' >"$WINEPREFIX/drive_c/windows/horalux.INI"

driver() { /usr/lib/wine/wine64 "$driver_exe" "$@" | tr -d '\r'; }

# CPU seconds (user + system) and resident memory of a process.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
hwm_kib() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)

stretch() {
  local pid=$1 name=$2 before after rss0
  before=$(cpu_ticks "$pid"); rss0=$(rss_kib "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  awk -v n="$name" -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v r0="$rss0" -v r1="$(rss_kib "$pid")" -v p="$(hwm_kib "$pid")" \
    'BEGIN { printf "%-28s CPU %6.2f s in %d s (%5.2f %%), RSS %6d -> %6d KiB, peak %6d KiB\n", n, t / hz, s, 100 * t / hz / s, r0, r1, p }' 
}

printf 'executable                   %d bytes (%s)\n' "$(stat -c %s "$exe")" "$exe"

start=$(date +%s.%N)
/usr/lib/wine/wine64 "$exe" >/dev/null 2>&1 &
pid=$!   # the loader becomes the program: this copy, not another one running on the machine
driver wait "$caption" >/dev/null || { echo "no dialog"; exit 1; }
until [ "$(driver state "$caption")" = "visible normal" ]; do sleep 0.01; done
awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "start-up to visible dialog   %.2f s\n", b - a }' 

stretch "$pid" "idle, visible"
driver post "$caption" 0x112 0xF020 0 >/dev/null   # minimise: to the tray
stretch "$pid" "idle, hidden in the tray"
driver post "$caption" 0x8000 131 0x203 >/dev/null   # the tray icon double-clicked
until [ "$(driver state "$caption")" = "visible normal" ]; do sleep 0.01; done
driver click "$caption" 57671 >/dev/null
stretch "$pid" "synchronising every 1 s"
# Wine reports a set within half a second of its host's time done and moves
# nothing, which the program reads back and says: both are sets made.
sets=$(driver text "$caption" 1003 | grep -cE 'Time Set|Windows reported the time set')
echo "sets in the log (Time Set, or done without moving Wine's clock): $sets"

driver click "$caption" 57672 >/dev/null
driver gone "$caption" >/dev/null
stop_simulator
stop_display
/usr/lib/wine/wineserver -k 2>/dev/null
