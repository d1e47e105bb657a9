#!/usr/bin/env bash
# One user's journey through horalux.exe under Wine and Xvfb, steered from
# outside against the simulated clock: defaults, refused starts, a failing and
# a working run with their exact status lines, the bounded log, the icons and
# the tray, the offset history, the About box, resizing, the settings file,
# auto-start, display scaling. The program
# runs from a folder where DLLs named like system ones were planted; none may
# load. Environment (set by CTest): HORALUX_EXE, HORALUX_DRIVER,
# HORALUX_TOOLS_DIR, HORALUX_PLANTED_DLL, HORALUX_OBJDUMP, WINEPREFIX,
# HORALUX_ARTIFACTS. A failed check ends it with 1, a missing program skips it.
set -u -o pipefail
[ -f "$HORALUX_EXE" ] || { echo "SKIP: $HORALUX_EXE is not built yet"; exit 77; }
# Wine is told to prefer the planted DLLs over its own.
export WINEDEBUG=-all WINEDLLOVERRIDES="winmm,mapi32=n,b;mscoree,mshtml="
. "$(dirname "$0")/../../scripts/wine-env.sh"

TITLE="Orvanel Systems, Inc. GPS Clock" ABOUT=horalux.exe BOX=horalux HISTORY="Offset history"
PERIOD=1000 PORT=1001 LOG=1003 GMT=1021 HELP=57670 START=57671 EXIT=57672 STOP=57673
WM_SYSCOMMAND=0x112 SC_ABOUT=16 SC_MINIMIZE=0xF020 SC_CLOSE=0xF060
# The tray icon's callback message, icon and mouse events.
WM_TRAY=0x8000 TRAY_ID=131 DBLCLK=0x203 RBUTTONUP=0x205
STAMP='[0-2][0-9]:[0-5][0-9]:[0-6][0-9]'
# A set, or one Wine reports done without moving its clock (it does so
# within half a second of the host's time): either way the clock was read.
TIME_SET="^$STAMP (Time Set $STAMP UTC |Windows reported the time set, but the PC clock did not move by the [-+][0-9]+ ms asked\.)\$"
WAIT_S=${E2E_WAIT_S:-60} # a hang guard per wait, not a timing check
artifacts=${HORALUX_ARTIFACTS:-$(dirname "$HORALUX_EXE")/e2e-artifacts}/journey
ini="$WINEPREFIX/drive_c/windows/horalux.INI"

# A failed check names the journey's line, keeps a screenshot and the log's end.
fail() { echo "FAIL [journey:${BASH_LINENO[-2]}]: $*" >&2; shot failure; echo "log: $(log | tail -n 5)" >&2; exit 1; }
shot() { import -window root "$artifacts/$1.png" 2>/dev/null; true; }
drv() { /usr/lib/wine/wine64 "$HORALUX_DRIVER" "$@" 2>>"$artifacts/driver.txt" | tr -d '\r'; }
act() { drv "$@" >/dev/null || fail "driver: $* ($(tail -n 1 "$artifacts/driver.txt"))"; }
expect() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; } # ACTUAL EXPECTED WHAT
# until_true COMMAND...: polls until COMMAND succeeds, for WAIT_S at most.
until_true() { local end=$((SECONDS + WAIT_S)); until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.3; done; }
prints() { [ "$("${@:2}")" = "$1" ]; } # EXPECTED COMMAND...

start_app() { /usr/lib/wine/wine64 "$exe" "$@" >>"$artifacts/app-output.txt" 2>&1 & app_pid=$!; act wait "$TITLE"; }
app_gone() { act gone "$TITLE"; wait "$app_pid"; unset app_pid; }
cleanup() { /usr/lib/wine/wineserver -k 2>/dev/null; [ -z "${app_pid:-}" ] || wait "$app_pid"; stop_simulator; stop_display; }
clock() { printf '%s\n' "$*" >"$HORALUX_SIM_CONTROL"; }   # the simulator's switches
clock_bytes() { grep -c '^rx' "$HORALUX_SIM_LOG"; }
ini_write() { rm -rf "$ini"; printf '[Communication]\r\nCommPort=%s\r\n[Update]\r\nFrequency=%s\r\n' "$@" >"$ini"; }
ini_text() { tr -d '\r' <"$ini" | grep . | paste -sd ' '; }

state() { drv state "$TITLE"; }
wait_state() { until_true prints "$1" state || fail "the dialog is '$(state)', expected '$1'"; }
# Start, Stop, the port box, the period box.
controls() { drv enabled "$TITLE" $START $STOP $PORT $PERIOD; }
IDLE="enabled disabled enabled enabled" RUNNING="disabled enabled disabled disabled"
fields() { echo "$(drv text "$TITLE" $PORT) $(drv text "$TITLE" $PERIOD)"; }
log() { drv text "$TITLE" $LOG | grep .; }
log_count() { log | grep -cE "$1"; }
has_lines() { [ "$(log_count "$2")" -ge "$1" ]; }
wait_log() { until_true has_lines "$1" "$2" || fail "the log never had $1 lines like '$2'"; }
texts() { log | cut -d ' ' -f 2- | paste -sd '|'; } # the lines without their stamps
message() { expect "$(drv msgbox "$BOX")" "$1" "message box"; }
tray() { act post "$TITLE" $WM_TRAY $TRAY_ID "$1"; }
syscommand() { act post "$TITLE" $WM_SYSCOMMAND "$1" 0; }
minimise() { syscommand $SC_MINIMIZE; wait_state "hidden normal"; }
tray_menu() { tray $RBUTTONUP; act menu "$@"; }
gmt() { drv text "$TITLE" $GMT; }
# Lets keys just typed reach the hidden dialog, whose clock display rests.
# A slow machine can only weaken the check that follows; the steps after it
# need the program alive and answering anyway.
settle() { sleep 2; }

# Which state icon shows, told by colour: 130 has a red ring, 131 a green rim.
icon_in() { local seen; seen=$(cat); if grep -qw "$1" <<<"$seen"; then echo 130; elif grep -qw "$2" <<<"$seen"; then echo 131; else echo none; fi; }
xid() { xwininfo -name "$1" 2>/dev/null | awk '/Window id/ { print $4 }'; }
window_icon() { xprop -id "$(xid "$TITLE")" -notype 32c _NET_WM_ICON | icon_in 4294901760 4278222848; }
# import with no window waits for a click: no tray window, no picture.
tray_icon() { local id; id=$(xid "Wine System Tray"); [ -n "$id" ] && import -window "$id" -depth 8 txt:- 2>/dev/null | icon_in '#FF0000' '#008000'; }
icons() { echo "$(window_icon) $(tray_icon)"; }
wait_icons() { until_true prints "$1 $1" icons || fail "window and tray icons are '$(icons)', expected $1"; }

rm -rf "$artifacts" && mkdir -p "$artifacts/program" && trap cleanup EXIT
# Only DLLs the system takes from its own folder, and comctl32 through the manifest.
imports=$("${HORALUX_OBJDUMP:?}" -p "$HORALUX_EXE" | awk '/DLL Name:/ { print tolower($3) }' | sort | xargs)
expect "$imports" "advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll" \
  "imported DLLs"
exe="$artifacts/program/horalux.exe" && cp "$HORALUX_EXE" "$exe"
for name in winmm mapi32; do cp "${HORALUX_PLANTED_DLL:?}" "$artifacts/program/$name.dll"; done
# Read at the desktop's start: the next program starts a fresh one.
set_dpi() { /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 && /usr/lib/wine/wineserver -w; }
wine_prefix_init && start_display && set_dpi 96 && rm -rf "$ini"
start_simulator com1 --align || fail "the simulator did not start"

# --- No settings file: the defaults; the clock display ticks ---
start_app
act move "$TITLE" 200 150 560 400 # off Wine's tray window at 0,0
wait_state "visible normal"
expect "$(fields)|$(controls)" "com1 60|$IDLE" "port, period and controls at the start"
until_true eval '[[ $(gmt) =~ ^[A-Z][a-z]{2}\ [A-Z][a-z]{2}\ [\ 0-3][0-9]\ $STAMP\ [0-9]{4}$ ]]' ||
  fail "GMT shows '$(gmt)'"
wait_icons 130

# --- Help: an error without a page; with one, a browser (a recorder here) gets it at the window's topic ---
act click "$TITLE" $HELP && message "Failed to launch help."
cp "$(dirname "$HORALUX_EXE")/horalux.htm" "$artifacts/program/" && opened="$WINEPREFIX/drive_c/opened.txt" && rm -f "$opened"
reg() { /usr/lib/wine/wine64 reg add "HKLM\\Software\\Classes\\$1" /ve /d "$2" /f >/dev/null 2>&1; } && reg .htm Recorder && reg 'Recorder\shell\open\command' 'C:\windows\system32\cmd.exe /c >C:\opened.txt echo %1'
act click "$TITLE" $HELP && until_true test -s "$opened" || fail "no browser was asked to open the help page"
expect "$(tr -d '\r' <"$opened" | xargs)" "file:///Z:$artifacts/program/horalux.htm#main-window" "page given to the browser"

# --- Start refuses a period below one second and an empty port ---
for period in 0 -5 abc ""; do
  act set "$TITLE" $PERIOD "$period"
  act click "$TITLE" $START
  message "You must enter a frequency greater than or equal to 1 second."
done
act set "$TITLE" $PERIOD 1
act set "$TITLE" $PORT ""
act click "$TITLE" $START
message "No comm port selected!"
expect "$(controls)|$(log)|$(clock_bytes)" "$IDLE||0" "controls, log and bytes sent after refused starts"

# --- A port that does not exist: each second a failure line; meanwhile the About box and resizing ---
act set "$TITLE" $PORT com42
act click "$TITLE" $START
wait_log 1 "^$STAMP Failed to open comm port\.\$"
expect "$(controls)" "$RUNNING" "controls while running"
wait_icons 130

syscommand $SC_ABOUT
act wait "$ABOUT"
about() { drv text "$ABOUT" "$1"; }
expect "$(about 11001)|$(about 11002)|$(about 11005)|$(about 11003)" "Version:  2.0.1.0|https://www.orvanel.example.com|\
sales@orvanel.example.com|support@orvanel.example.com" "version, web, sales and support texts"
about 11004 | head -n 1 | grep -q "^Orvanel Systems, Inc\." || fail "the contact block does not start with the company"
shot about
act click "$ABOUT" 1 && act gone "$ABOUT"

rect() { drv rect "$TITLE" "$@"; }
size() { local r=($(rect "$@")); echo "$((r[2] - r[0]))x$((r[3] - r[1]))"; }
buttons=$(size $START)/$(size $STOP)/$(size $EXIT) log0=($(rect $LOG))
act move "$TITLE" 200 150 760 560
expect "$(size)|$(size $START)/$(size $STOP)/$(size $EXIT)" "760x560|$buttons" "window and button sizes after growing"
log1=($(rect $LOG)) start=($(rect $START)) exit_b=($(rect $EXIT))
[ $((log1[2] - log1[0])) -gt $((log0[2] - log0[0])) ] && [ $((log1[3] - log1[1])) -gt $((log0[3] - log0[1])) ] ||
  fail "the log did not grow both ways"
[ "${start[1]}" -lt "${log1[1]}" ] && [ "${exit_b[1]}" -gt "${log1[1]}" ] && [ "${log1[2]}" -le "${start[0]}" ] ||
  fail "Start is not at the top, Exit not at the bottom, or the log runs into the buttons"
shot grown
act move "$TITLE" 200 150 40 40
expect "$(size $START)/$(size $STOP)/$(size $EXIT)" "$buttons" "button sizes at the minimum"
act move "$TITLE" 200 150 560 400

# --- Minimised to the tray and back; a dismissed tray menu leaves the hidden dialog deaf to keys ---
minimise
tray $DBLCLK
wait_state "visible normal"
minimise
tray_menu
shot tray-menu
act keys escape && act keys escape enter
settle
expect "$(state)" "hidden normal" "dialog after keys once the tray menu was dismissed"
tray_menu c
wait_state "visible normal"

# --- The log keeps the newest 100 lines: later lines push out exactly the oldest ---
WAIT_S=300 wait_log 100 .
full=$(log)
pushed_out() { [ "$(log | head -n 1)" != "$(head -n 1 <<<"$full")" ]; }
until_true pushed_out || fail "the log's oldest line stays"
now=$(log)
expect "$(grep -cE "^$STAMP Failed to open comm port\.\$" <<<"$now")" 100 "lines in the full log"
for ((gone = 1; gone < 100; gone++)); do [ "$(tail -n +$((gone + 1)) <<<"$full")" = "$(head -n $((100 - gone)) <<<"$now")" ] && break; done
[ $gone -lt 100 ] || fail "the log lost lines other than the oldest"
act click "$TITLE" $STOP
wait_log 1 "^$STAMP Stopped setting time\.\$"
expect "$(log | tail -n 1 | cut -d ' ' -f 2-)|$(log_count .)|$(controls)" "Stopped setting time.|100|$IDLE" \
  "last line, line count and controls after Stop"

# --- The clock: a new Start shows only its own lines; the tray starts and stops while hidden ---
# Two seconds: the break and two commands take a quarter of one, and the
# clock answers only early in its second.
act set "$TITLE" $PORT com1
act set "$TITLE" $PERIOD 2
act click "$TITLE" $START
wait_log 2 "$TIME_SET"
expect "$(log | grep -cvE "$TIME_SET")" 0 "lines other than 'Time Set' after a new Start"
wait_icons 131
shot synchronised
minimise
# A clock that stops answering spoils attempts without ending the worker.
clock --reply none
wait_log 1 "^$STAMP Failed to read clock time from the selected comm port\.\$"
wait_icons 130
expect "$(controls)" "$RUNNING" "controls while attempts fail"
clock
wait_icons 131
tray_menu t
wait_log 1 "^$STAMP Stopped setting time\.\$"
wait_icons 130
expect "$(controls)" "$IDLE" "controls after the tray's Stop"

# --- The offset history from the tray menu: its controls, the summary, and Copy's rows are the log's attempts ---
tray_menu h && act wait "$HISTORY"
expect "$(drv text "$HISTORY" 1102)|$(drv text "$HISTORY" 1103)|$(drv text "$HISTORY" 1104)|$(drv text "$HISTORY" 2)" \
  "Last &24 hours|Last h&our|&Copy|Close" "the history's controls"
[[ $(drv text "$HISTORY" 1101) == "$(log_count "$TIME_SET") sets, median offset "*" failed attempts" ]] ||
  fail "the history's summary reads '$(drv text "$HISTORY" 1101)'"
shot history && act click "$HISTORY" 1104
attempts=$(log | grep -v 'Stopped setting time\.$' | sed -E "s/^($STAMP) (Time Set|Windows reported the time set).*/\1 set/")
copied=$(drv clipboard | tail -n "$(grep -c . <<<"$attempts")" | awk -F'\t' '{ print substr($1, 12) " " $4 }')
expect "$copied" "$attempts" "the copied rows against the log's attempts"
expect "$(drv clipboard | awk -F'\t' '$4 == "set" && ($2 !~ /^-?[0-9]+$/ || $2 * $2 > 250000 || $3 !~ /^[0-9]+$/)')" "" \
  "copied sets whose offset is no number within half a second or whose margin is none"
act click "$HISTORY" 2 && act gone "$HISTORY"
# The system refuses a clock an hour off, which ends the worker.
clock --offset 3600
tray_menu s
refused="Win32 command: SetSystemTime() failed. : Privilege not held.|Setting the clock needs administrator rights: \
run horalux.exe /install-service as administrator once and the Horalux service will keep it set.|Stopped setting time."
until_true prints "$refused" texts || fail "the log reads '$(texts)', expected '$refused'"
# The longest line can be scrolled to in full.
read -r bar before after width <<<"$(drv hscroll "$TITLE" $LOG)"
[ "$bar" = 1 ] && [ "$before" -gt "$width" ] && [ "$after" -gt 0 ] && [ "$after" -le "$width" ] ||
  fail "the longest line's end: scroll bar $bar, at $before, then $after in a width of $width"
expect "$(controls)|$(state)" "$IDLE|hidden normal" "controls and dialog after a refused set"

# --- The close box stores nothing and takes the tray icon away ---
tray $DBLCLK
wait_state "visible normal"
act set "$TITLE" $PERIOD 15
syscommand $SC_CLOSE && app_gone
[ ! -e "$ini" ] || fail "the close box wrote $(ini_text)"
until_true prints none tray_icon || fail "the tray icon stayed"

# --- A stored port selects the item it names, whatever the case; Exit stores the texts as typed ---
clock && ini_write COM2 5
start_app
expect "$(fields)" "com2 5" "port and period read from the file"
act set "$TITLE" $PORT com && act set "$TITLE" $PERIOD abc
act click "$TITLE" $EXIT && app_gone
expect "$(ini_text)" "[Communication] CommPort=com [Update] Frequency=abc" "settings file after Exit"

# --- "run" with a stored period that is no number: refused, hidden, deaf to keys; Exit leaves the file alone ---
touch -d 2001-01-01 "$ini"
start_app /Run
message "You must enter a frequency greater than or equal to 1 second."
wait_icons 130
# The keys go to Wine's tray window here, which Alt+F4 would close for good.
act keys escape enter space
settle
expect "$(state)|$(fields)|$(controls)|$(log)" "hidden normal|com abc|$IDLE|" "after the refused auto-start"
tray_menu x && app_gone
expect "$(date -r "$ini" +%F)" 2001-01-01 "the settings file's date after an Exit with nothing changed"

# --- A port the list lacks (an adapter's) stays as stored: "run" starts with it, Exit keeps it ---
ini_write com7 1 && start_app run
wait_log 1 "^$STAMP Failed to open comm port\.\$"
expect "$(fields)|$(controls)" "com7 1|$RUNNING" "a stored port the list lacks, after auto-start"
tray_menu x && app_gone
expect "$(ini_text)" "[Communication] CommPort=com7 [Update] Frequency=1" "settings file after Exit"

# --- "run" with the defaults (the file cannot be read): synchronising, hidden, deaf to keys; Exit cannot store a change ---
rm -rf "$ini" && mkdir "$ini"
start_app run
wait_log 1 "$TIME_SET"
wait_icons 131
act keys escape enter space alt+f4
settle
expect "$(state)|$(controls)" "hidden normal|$RUNNING" "dialog and controls after keys"
act set "$TITLE" $PERIOD 30
tray_menu x
message "The settings could not be saved in C:\\windows\\horalux.INI.
Access denied."
app_gone
until_true prints none tray_icon || fail "the tray icon stayed after Exit"

# --- At 96, 144 and 192 DPI: icons drawn for the size; at the smallest size no control overlaps another or the frame's caption, texts fit (the history's too, at 96 and 144) ---
# Reads the driver's control listing, prints each fault. Controls may reach into the status bar.
faults() { awk -v frame=1007 -v bar=59393 '{ id[NR] = $1; l[NR] = $3; t[NR] = $4; r[NR] = $5; b[NR] = $6; h[NR] = $8; if ($1 == frame) f = NR
    if ($2 ~ /^(Static|Button)$/ && ($7 > $5 - $3 || $8 > $6 - $4)) print $1 " is too small for its text" }
  END { for (i = 1; i <= NR; i++) for (j = 1; j <= NR; j++) if (i != j && id[i] != bar && id[j] != bar) {
    if (j == f && l[i] >= l[f] && r[i] <= r[f] && t[i] >= t[f] && b[i] <= b[f]) { if (t[i] < t[f] + h[f]) print id[i] " runs into the caption" }
    else if (i != f && l[i] < r[j] && l[j] < r[i] && t[i] < b[j] && t[j] < b[i]) print id[i] " overlaps " id[j] } }'; }
icon_sizes() { xprop -id "$(xid "$TITLE")" -notype 32c _NET_WM_ICON | sed 's/.*= //' | awk -F', ' '{ for (i = 1; i < NF; i += 2 + $i * $(i + 1)) printf "%dx%d ", $i, $(i + 1) }'; }
for dpi in 96 144 192; do
  set_dpi $dpi && start_app
  act move "$TITLE" 100 100 0 0
  sizes="$((dpi / 3))x$((dpi / 3)) $((dpi / 6))x$((dpi / 6)) "
  until_true prints "$sizes" icon_sizes || fail "the window icons at $dpi DPI are '$(icon_sizes)', expected '$sizes'"
  shot "dpi-$dpi"
  act move "$TITLE" 100 100 40 40
  expect "$(drv controls "$TITLE" | faults | sort -u)" "" "faults at the smallest size at $dpi DPI"
  if [ $dpi -le 144 ]; then
    tray_menu h && act wait "$HISTORY" && act move "$HISTORY" 100 100 0 0 && shot "history-$dpi"
    act move "$HISTORY" 100 100 40 40
    expect "$(drv controls "$HISTORY" | faults | sort -u)" "" "faults in the history at its smallest size at $dpi DPI"
    act click "$HISTORY" 2 && act gone "$HISTORY"
  fi
  syscommand $SC_CLOSE && app_gone
done
set_dpi 96

loaded=$(cd "$artifacts/program" && ls -- *.loaded 2>/dev/null)
[ -z "$loaded" ] || fail "planted DLLs were loaded: $loaded"
echo "[journey] passed"
