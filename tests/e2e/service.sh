#!/usr/bin/env bash
# The service under Wine against the simulated clock: installed through the
# program's own switch, it logs "Time Set" lines; a refused set and an
# unplugged clock are logged and retried; it stops quickly and its removal
# leaves nothing registered; the window shows its lines. Environment (set by CTest): HORALUX_EXE,
# HORALUX_DRIVER, HORALUX_TOOLS_DIR, WINEPREFIX, HORALUX_ARTIFACTS.
set -u -o pipefail
[ -f "$HORALUX_EXE" ] || { echo "SKIP: $HORALUX_EXE is not built yet"; exit 77; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$(dirname "$0")/../../scripts/wine-env.sh"

WAIT_S=${E2E_WAIT_S:-60} # a hang guard per wait, not a timing check
artifacts=${HORALUX_ARTIFACTS:-$(dirname "$HORALUX_EXE")/e2e-artifacts}/service
log="$WINEPREFIX/drive_c/ProgramData/Horalux/horalux.log"
KEY='HKLM\System\CurrentControlSet\Services'
# Installed from where an administrator would put it: the build folder's own
# permissions (a checkout under /tmp, say) must not decide the test.
exe="$WINEPREFIX/drive_c/Program Files/Horalux/horalux.exe"

fail() { echo "FAIL [service:${BASH_LINENO[0]}]: $*" >&2; echo "log: $(tail -n 5 "$log" 2>/dev/null)" >&2; exit 1; }
wine() { /usr/lib/wine/wine64 "$@"; }
until_true() { local end=$((SECONDS + WAIT_S)); until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.3; done; }
cleanup() { switch /remove-service >/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null
  [ -z "${keeper:-}" ] || wait "$keeper"; stop_simulator; stop_display; }
# switch SWITCH [PROGRAM]: the program's exit code and the text of the box it shows.
switch() {
  wine "${2:-$exe}" "$1" >>"$artifacts/output.txt" 2>&1 & local pid=$! text
  text=$(wine "$HORALUX_DRIVER" msgbox horalux 2>>"$artifacts/driver.txt" | tr -d '\r')
  wait $pid
  echo "$?|$text"
}
expect() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
state() { wine sc query Horalux 2>/dev/null | tr -d '\r' | awk '/STATE/ { print $4 }'; }
registered() { wine reg query "$1" >/dev/null 2>&1; }
# lines ID: how many lines with this status identifier the log holds now.
lines() { grep -cE "^[0-9-]* [0-9:]* \[($1)\] " "$log" 2>/dev/null; }
# A set, or one Wine reports done without moving its clock (within half a
# second of the host's time): either way the clock was read.
SET='151|174' SET_TEXT=' Time Set | did not move by '

has() { tr -d '\r' <"$log" | grep -qE "$1"; }
more_lines() { [ "$(lines "$1")" -ge $(($2 + ${3:-1})) ]; }   # ID SEEN [MORE]
wait_lines() { local seen; seen=$(lines "$1"); until_true more_lines "$1" "$seen" "${2:-1}" || fail "no new [$1] lines"; }

rm -rf "$artifacts" && mkdir -p "$artifacts" && trap cleanup EXIT
wine_prefix_init && start_display
mkdir -p "${exe%/*}" && cp "$HORALUX_EXE" "$exe"
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=1\r\n' >"$WINEPREFIX/drive_c/windows/horalux.INI"
start_simulator com5 --align || fail "the simulator did not start"
# Wine ends its services with the last program of the prefix: one stays open.
wine notepad >/dev/null 2>&1 & keeper=$!
# A fresh prefix's service manager may need a moment before it answers.
until_true eval 'wine sc query PlugPlay >/dev/null 2>&1' || fail "the service manager does not answer"

# --- Not installed from a folder that others may write ---
tools=$WINEPREFIX/drive_c/Tools && mkdir -p "$tools" && cp "$HORALUX_EXE" "$tools/" && chmod 777 "$tools"
expect "$(switch /install-service "$tools/horalux.exe")" "4|The Horalux service was not installed: others than SYSTEM, \
the Administrators and TrustedInstaller could change C:\Tools\horalux.exe or a folder it lies in, and the service would \
run what they put there. Copy horalux.exe into a folder under Program Files (or install the MSI package) and run \
/install-service from there." "install from a folder anyone may write"

# --- A folder of another owner at the log folder's place, a line of theirs in it: moved aside as it was, a new one
# made. (Wine shows a junction or any other link as the folder it leads to: links are the takeover's native table.) ---
planted=$(dirname "$log") && rm -rf "$planted"* && mkdir -p "$planted" && chown nobody "$planted"
echo '2026-12-07 04:50:01 [151] Time Set planted' >"$planted/horalux.log"
folder() { stat -c '%U %a %s' "$1" "$1/horalux.log" | xargs; }
before=$(folder "$planted")

# --- Installed and started by its own switch; installing again changes nothing ---
installed=$(switch /install-service)
[[ $installed == "0|The Horalux service is installed and running. It writes its lines to C:\ProgramData\Horalux\horalux.log \
and to the Application event log. What stood at its log folder's place was not the service's and was moved to \
C:\ProgramData\Horalux.moved-"*. ]] || fail "install: got '$installed'"
moved=${installed##*\\} && [ "$(folder "$planted/../${moved%.}")" = "$before" ] || fail "the other's folder was changed"
expect "$(switch /install-service)" "1|The Horalux service is already installed: nothing was changed." "second install"
registered "$KEY\\EventLog\\Application\\Horalux" || fail "no event source"
until_true eval '[ "$(state)" = RUNNING ]' || fail "the service is '$(state)'"
wait_lines "$SET" 3
has '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} \[(151\] Time Set [0-9:]{8} UTC |174\] Windows reported the time set, but the PC clock did not move by the [-+][0-9]+ ms asked\.) offset [-+][0-9]+ ms \(within [0-9]+ ms(, estimate restarted)?\)$' || fail "Time Set reads wrong"
has '\[170\] Settings read: port com5, period 1 s\.$' || fail "no line says which settings were read"
! has planted && [ "$(stat -c %U "$planted")" = "$(id -un)" ] || fail "the log is not in a new folder"

# --- A clock an hour off is refused, logged and tried again; then sets again ---
printf -- '--offset 3600\n' >"$HORALUX_SIM_CONTROL"
wait_lines 160 2
has '\[160\] Win32 command: SetSystemTime\(\) failed\. : Privilege not held\.$' || fail "the refusal reads wrong"
printf '\n' >"$HORALUX_SIM_CONTROL"
wait_lines "$SET" 2

# --- An unplugged clock: the port is missing at every period until it comes back ---
stop_simulator
wait_lines 155 2
start_simulator com5 --align || fail "the simulator did not come back"
wait_lines "$SET" 2

# --- The window, run as the user, follows the service: its lines, Start and Stop greyed ---
TITLE="Orvanel Systems, Inc. GPS Clock"
window_log() { wine "$HORALUX_DRIVER" text "$TITLE" 1003 2>/dev/null | tr -d '\r'; }
wine "$exe" >>"$artifacts/output.txt" 2>&1 & window=$!
wine "$HORALUX_DRIVER" wait "$TITLE" || fail "no window"
chown nobody "$log"   # as if another had made it
until_true eval 'window_log | grep -q "^[0-9:]\{8\} The Horalux service keeps this PC.s clock set"' || fail "the window does not say the service runs"
until_true eval 'window_log | grep -q "The service.s log cannot be trusted"' || fail "the window trusts a log of another owner"
[ "$(window_log | grep -cE "$SET_TEXT")" = 0 ] || fail "the window shows lines of a log of another owner"
chown --reference="$(dirname "$log")" "$log"
seen=$(window_log | grep -cE "$SET_TEXT")
until_true eval '[ "$(window_log | grep -cE "$SET_TEXT")" -gt "$seen" ]' || fail "the service's new lines do not reach the window"
expect "$(wine "$HORALUX_DRIVER" enabled "$TITLE" 57671 57673 | tr -d '\r')" "disabled disabled" "Start and Stop while the service runs"
expect "$(wine "$HORALUX_DRIVER" text "$TITLE" 1001 | tr -d '\r')" com5 "the port box while the service runs"
import -window root "$artifacts/window.png" 2>/dev/null
wine "$HORALUX_DRIVER" click "$TITLE" 57672 && wait $window

# --- A new period read on a parameter change ---
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=2\r\n' >"$WINEPREFIX/drive_c/windows/horalux.INI"
wine "$HORALUX_DRIVER" control Horalux 6 || fail "the parameter change was not sent" # SERVICE_CONTROL_PARAMCHANGE
until_true has '\[170\] Settings read: port com5, period 2 s\.$' || fail "the settings were not read again"

# --- Stopped quickly, removed without a trace; removing again changes nothing ---
start=$(date +%s%N)
wine sc stop Horalux >/dev/null 2>&1
until_true eval '[ "$(state)" = STOPPED ]' || fail "the service did not stop"
stop_ms=$((($(date +%s%N) - start) / 1000000))
echo "stop took $stop_ms ms (with sc's own start-up)" && [ $stop_ms -lt 10000 ] || fail "the stop took $stop_ms ms"
tail -n 1 "$log" | tr -d '\r' | grep -q '\[167\] Stopped setting time\.$' || fail "the last line is not the stop"
expect "$(switch /remove-service)" "0|The Horalux service is stopped and removed. Its log folder stays." "remove"
! registered "$KEY\\Horalux" && ! registered "$KEY\\EventLog\\Application\\Horalux" || fail "still registered"
expect "$(switch /remove-service)" "1|The Horalux service is not installed: nothing was removed." "second remove"
echo "PASS"
