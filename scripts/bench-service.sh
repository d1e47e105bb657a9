#!/usr/bin/env bash
# Figures of the installed service under Wine (after `make build`): its
# private memory and handle count over N attempts at a 1 s period, sampled at
# a few points; then, against a clock 250 ms ahead, how far the offsets it
# logs lie from that (the median of 30 attempts); then its CPU at rest with a
# period of an hour.
#   scripts/bench-service.sh [attempts, default 1000] [seconds at rest, default 60]
set -u -o pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
attempts=${1:-1000} rest=${2:-60}
win32="$root/build/win32"
export WINEPREFIX="$win32/bench-service-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  HORALUX_TOOLS_DIR="$root/build/native/tools"
# Installed from Program Files: the service refuses a folder that others may write.
exe="$WINEPREFIX/drive_c/Program Files/Horalux/horalux.exe"
. "$root/scripts/wine-env.sh"
log="$WINEPREFIX/drive_c/ProgramData/Horalux/horalux.log"
ini="$WINEPREFIX/drive_c/windows/horalux.INI"
wine() { /usr/lib/wine/wine64 "$@"; }
driver() { wine "$win32/tools/window-driver/window-driver.exe" "$@" | tr -d '\r'; }
switch() { wine "$exe" "$1" >/dev/null 2>&1 & local pid=$!; driver msgbox horalux; wait $pid; }
cleanup() { switch /remove-service
  /usr/lib/wine/wineserver -k; wait "$keeper"; stop_simulator; stop_display; }
lines() { local n; n=$(grep -cE "\[(15[0-9]|16[0-6]|17[3-7])\]" "$log" 2>/dev/null); echo "${n:-0}"; }   # attempts' outcomes
# The Unix process of the service in this prefix, for its CPU time.
unix_pid() {
  local p
  for p in $(pgrep -f 'horalux.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}
# Wine reports no private memory of another process: that comes from /proc.
figures() {
  local handles
  handles=$(wine "$win32/tools/proc-figures/proc-figures.exe" horalux.exe | tr -d '\r' | awk '{ print $3 }')
  awk -v h="$handles" '/^Private_(Clean|Dirty)/ { kib += $2 } END { printf "%d KiB private, %s handles", kib, h }' \
    "/proc/$pid/smaps_rollup"
}

wine_prefix_init && start_display && trap cleanup EXIT
mkdir -p "${exe%/*}" && cp "$win32/app/horalux.exe" "$exe"
wine notepad >/dev/null 2>&1 & keeper=$!   # Wine ends its services with the prefix's last program
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=1\r\n' >"$ini"
start_simulator com5 || exit 1
until wine sc query PlugPlay >/dev/null 2>&1; do sleep 1; done
rm -f "$log"*
echo "prefix ready after $SECONDS s"
switch /install-service
until pid=$(unix_pid) && [ -n "$pid" ]; do sleep 1; done
start=$SECONDS
for mark in 10 $((attempts / 4)) $((attempts / 2)) $((attempts * 3 / 4)) "$attempts"; do
  until [ "$(lines)" -ge "$mark" ]; do sleep 2; done
  printf 'after %5d attempts (%5d s): %s, %d sets\n' "$(lines)" $((SECONDS - start)) "$(figures)" "$(grep -cE '\[(151|174)\]' "$log")"
done

# The clock 250 ms ahead, answering at once, every 2 s: Wine leaves its
# clock as it is (a set within half a second does nothing), so every attempt
# measures the same offset, -250 ms.
printf -- '--lead 250\n' >"$HORALUX_SIM_CONTROL"
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=2\r\n' >"$ini"
driver control Horalux 6
sleep 5
from=$(wc -l <"$log")
until [ "$(tail -n +"$from" "$log" | grep -cE '\[(151|174)\].* offset ')" -ge 30 ]; do sleep 2; done
tail -n +"$from" "$log" | grep -E '\[(151|174)\].* offset ' | head -n 30 |
  sed -E 's/.* offset ([-+][0-9]+) ms \(within ([0-9]+) ms.*/\1 \2/' |
  awk '{ d = $1 + 250; print (d < 0 ? -d : d), $2, (d > $2 || -d > $2) }' | sort -n |
  awk '{ dev[NR] = $1; out += $3 } END { printf "clock 250 ms ahead: logged offsets %d ms from it (median of %d), worst %d; %d outside their margin\n", dev[int((NR + 1) / 2)], NR, dev[NR], out }'
printf -- '\n' >"$HORALUX_SIM_CONTROL"

# At rest: the next attempt an hour away.
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=3600\r\n' >"$ini"
driver control Horalux 6
sleep 3
hz=$(getconf CLK_TCK)
before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
sleep "$rest"
after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
awk -v t=$((after - before)) -v hz="$hz" -v s="$rest" \
  'BEGIN { printf "at rest: CPU %.2f s in %d s (%.3f %%)\n", t / hz, s, 100 * t / hz / s }'
echo "at rest: $(figures)"
