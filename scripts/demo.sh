#!/usr/bin/env bash
# Runs horalux.exe under Wine against the simulated GPS clock and shows what it
# logs:  demo.sh WIN32_BUILD_DIR NATIVE_TOOLS_DIR
# The clock answers with the true UTC time, so the PC's clock is really set
# (Wine accepts a set within half a second of the host's time). Uses the
# user's display, or Xvfb when there is none. Ends after DEMO_SECONDS
# (default 30) or on Ctrl-C and stops everything it started.
set -u
build=${1:?usage: demo.sh WIN32_BUILD_DIR NATIVE_TOOLS_DIR}
tools=${2:?usage: demo.sh WIN32_BUILD_DIR NATIVE_TOOLS_DIR}
seconds=${DEMO_SECONDS:-30}
period=${DEMO_PERIOD:-2}

exe="$build/app/horalux.exe"
driver="$build/tools/window-driver/window-driver.exe"
for f in "$exe" "$driver" "$tools/gpsclock-sim"; do
  [ -e "$f" ] || { echo "demo: $f is missing; build first (make build)" >&2; exit 1; }
done

export WINEPREFIX="$build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HORALUX_TOOLS_DIR=$tools
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
title="Orvanel Systems, Inc. GPS Clock" history="Offset history"
screenshot="$build/demo.png" history_shot="$build/demo-history.png"

drv() { /usr/lib/wine/wine64 "$driver" "$@" 2>/dev/null | tr -d '\r'; }

finish() {
  trap - INT TERM EXIT
  echo "stopping..."
  drv post "$title" 0x111 32774 0 >/dev/null # WM_COMMAND: the tray's Exit
  drv gone "$title" >/dev/null
  /usr/lib/wine/wineserver -k 2>/dev/null
  [ -n "${app_pid:-}" ] && wait "$app_pid" 2>/dev/null
  stop_simulator
  stop_display
  exit 0
}
trap finish INT TERM EXIT

# One line per stage, then the status log's lines as they come.
echo "preparing the Wine prefix ($WINEPREFIX)..."
wine_prefix_init
[ -z "${DISPLAY:-}" ] && echo "starting a virtual display (Xvfb)..."
start_display
echo "starting the clock simulator on COM1..."
start_simulator com1 --align || exit 1

printf '[Communication]\r\nCommPort=com1\r\n[Update]\r\nFrequency=%s\r\n' "$period" \
  >"$WINEPREFIX/drive_c/windows/horalux.INI"
echo "starting Horalux (a set every $period s, for $seconds s; Ctrl-C ends it sooner)..."
echo "  (Wine keeps its host's time: a set within half a second of it is reported done and changes"
echo "  nothing, and Horalux, reading the clock back, says so; the step asked stays near 20 ms, since"
echo "  this clock sends its reply 20 ms after its second starts, which no reading tells from an offset)"
/usr/lib/wine/wine64 "$exe" run >/dev/null 2>&1 &
app_pid=$!
drv wait "$title" >/dev/null || { echo "demo: horalux.exe did not start" >&2; exit 1; }
# The history from the start (the tray's Offset history), filling as the sets come.
drv post "$title" 0x111 32775 0 >/dev/null && drv wait "$history" >/dev/null && drv move "$history" 20 340 720 400 >/dev/null
drv click "$history" 1103 >/dev/null # the last hour: the sets spread out sooner

shown=0
successes=0
end=$((SECONDS + seconds))
while [ $SECONDS -lt $end ] && kill -0 "$app_pid" 2>/dev/null; do
  mapfile -t lines < <(drv text "$title" 1003 | grep .)
  # The log keeps the last 100 lines; print those not printed yet.
  if [ ${#lines[@]} -lt $shown ]; then shown=0; fi
  for ((i = shown; i < ${#lines[@]}; i++)); do
    echo "  ${lines[i]}"
    case ${lines[i]} in *"Time Set"* | *"did not move by"*) successes=$((successes + 1)) ;; esac
  done
  shown=${#lines[@]}
  if [ $successes -ge 3 ] && [ ! -f "$screenshot.done" ]; then
    drv post "$title" 0x111 32773 0 >/dev/null # the tray's Configure: show the dialog
    drv move "$title" 20 10 0 0 >/dev/null
    sleep 1
    import -window root "$screenshot" 2>/dev/null && echo "screenshot: $screenshot"
    id=$(xwininfo -name "$history" 2>/dev/null | awk '/Window id/ { print $4 }')
    [ -n "$id" ] && import -window "$id" "$history_shot" 2>/dev/null && echo "history: $history_shot"
    touch "$screenshot.done"
  fi
  sleep 1
done
rm -f "$screenshot.done"
finish
