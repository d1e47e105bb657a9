# Shared by the end-to-end tests: each test sources this file, calls
# e2e_setup, drives horalux.exe through the driver and ends with e2e_pass.
# Environment (set by CTest): HORALUX_EXE, HORALUX_DRIVER, HORALUX_TOOLS_DIR,
# WINEPREFIX, HORALUX_ARTIFACTS.
# A failed check ends the test with exit 1; a missing program skips it (77).

TITLE="Orvanel Systems, Inc. GPS Clock"
BOX_CAPTION="horalux"
LOG_ID=1003 PERIOD_ID=1000 PORT_ID=1001
START_ID=57671 STOP_ID=57673 EXIT_ID=57672 HELP_ID=57670
TRAY_START=32771 TRAY_STOP=32772 TRAY_CONFIGURE=32773 TRAY_EXIT=32774
STAMP='[0-2][0-9]:[0-5][0-9]:[0-6][0-9]'
# Hang guards only: a healthy run needs a fraction of these.
WAIT_S=${E2E_WAIT_S:-40}

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
test_name=$(basename "$0" .sh)

fail() {
  local where=${BASH_LINENO[$((${#BASH_LINENO[@]} - 2))]}
  echo "FAIL [$test_name:$where]: $*" >&2
  screenshot "failure" 2>/dev/null
  if [ -n "${app_pid:-}" ]; then
    echo "status log:" >&2
    drv log "$TITLE" "$LOG_ID" 2>/dev/null | tail -n 8 >&2
  fi
  exit 1
}

e2e_setup() {
  : "${HORALUX_EXE:?}" "${HORALUX_DRIVER:?}" "${WINEPREFIX:?}"
  if [ ! -f "$HORALUX_EXE" ]; then
    echo "SKIP: $HORALUX_EXE is not built yet"
    exit 77
  fi
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  . "$e2e_here/../../scripts/wine-env.sh"
  artifacts="${HORALUX_ARTIFACTS:-$(dirname "$HORALUX_EXE")}/$test_name"
  rm -rf "$artifacts"
  mkdir -p "$artifacts"
  exe_win="Z:${HORALUX_EXE//\//\\}"
  trap e2e_cleanup EXIT
  wine_prefix_init
  start_display
  ini_remove
}

e2e_cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null
  [ -n "${app_pid:-}" ] && wait "$app_pid" 2>/dev/null
  stop_simulator
  stop_display
}

e2e_pass() {
  echo "[$test_name] passed"
  exit 0
}

# start_clock [simulator switches]: the aligned simulator as COM1.
start_clock() {
  start_simulator com1 --align "$@" || fail "simulator did not start"
}

# Switches for the running simulator, replacing the previous ones.
clock_control() { printf '%s\n' "$*" >"$HORALUX_SIM_CONTROL"; }

# Bytes the program sent to the clock so far.
clock_received() { grep -c '^rx' "$HORALUX_SIM_LOG" 2>/dev/null || true; }

# --- the INI file in the Windows directory -----------------------------------

ini_remove() { find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname 'horalux.ini' -delete 2>/dev/null; true; }

# ini_write PORT PERIOD: a fresh file with both settings.
ini_write() {
  ini_remove
  mkdir -p "$WINEPREFIX/drive_c/windows"
  printf '[Communication]\r\nCommPort=%s\r\n[Update]\r\nFrequency=%s\r\n' "$1" "$2" \
    >"$WINEPREFIX/drive_c/windows/horalux.INI"
}

# ini_read SECTION KEY: prints the value; fails when it is absent.
ini_read() {
  local file
  file=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname 'horalux.ini' 2>/dev/null | head -n1)
  [ -f "$file" ] || return 1
  tr -d '\r' <"$file" | awk -v section="[$1]" -v key="$2" '
    /^\[/ { inside = (tolower($0) == tolower(section)); next }
    inside && index($0, "=") { k = substr($0, 1, index($0, "=") - 1)
      if (tolower(k) == tolower(key)) { print substr($0, index($0, "=") + 1); found = 1; exit } }
    END { exit !found }'
}

# --- the program and the driver -----------------------------------------------

# start_app [arguments]: runs horalux.exe and waits for its dialog.
start_app() {
  /usr/lib/wine/wine64 "$HORALUX_EXE" "$@" >"$artifacts/app-output.txt" 2>&1 &
  app_pid=$!
  drv wait "$TITLE" $((WAIT_S * 1000)) >/dev/null || fail "the dialog did not appear"
}

# drv COMMAND ARGS: runs the driver, output without CRs.
drv() {
  local out rc
  out=$(/usr/lib/wine/wine64 "$HORALUX_DRIVER" "$@" 2>"$artifacts/driver-stderr.txt")
  rc=$?
  printf '%s' "$out" | tr -d '\r'
  [ -n "$out" ] && echo
  return $rc
}

# Runs the driver; a failure of the driver fails the test.
act() { drv "$@" >/dev/null || fail "driver: $* ($(tr -d '\r' <"$artifacts/driver-stderr.txt"))"; }

expect_eq() { # ACTUAL EXPECTED WHAT
  [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# until_true SECONDS COMMAND...: polls until COMMAND succeeds.
until_true() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  while ! "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.3
  done
}

log_lines() { drv log "$TITLE" "$LOG_ID"; }

# log_count REGEX: number of log lines matching the extended regular expression.
log_count() { log_lines | grep -cE "$1" || true; }

log_has_at_least() { [ "$(log_count "$2")" -ge "$1" ]; }

# wait_log COUNT REGEX: until the log has COUNT matching lines.
wait_log() {
  until_true "$WAIT_S" log_has_at_least "$1" "$2" ||
    fail "log never had $1 lines like '$2'; it has: $(log_lines | tr '\n' '|')"
}

# prints EXPECTED COMMAND...: COMMAND's output is EXPECTED.
prints() { local want=$1; shift; [ "$("$@")" = "$want" ]; }

wait_visibility() { until_true "$WAIT_S" prints "$1" drv visible "$TITLE" || fail "the dialog did not become $1"; }

# expect_message TEXT: a message box shows TEXT; it is answered with OK.
expect_message() {
  local text
  text=$(drv msgbox "$BOX_CAPTION" $((WAIT_S * 1000))) || fail "no message box, expected '$1'"
  expect_eq "$text" "$1" "message box text"
}

# choose_tray_item CHAR: right click on the tray icon and pick the item with this mnemonic.
choose_tray_item() {
  act tray "$TITLE" rclick
  act menu-choose "$1" $((WAIT_S * 1000))
}

# The icon resource number that the window shows (130 or 131).
window_icon() {
  local xid
  xid=$(drv x11-window "$TITLE") || return 1
  xprop -id "$xid" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON | drv match-icon "$exe_win" 32
}

wait_window_icon() {
  until_true "$WAIT_S" prints "$1" window_icon || fail "the window icon is $(window_icon), expected $1"
}

wait_tray_icon() {
  until_true "$WAIT_S" prints "$1" drv tray-icon "$exe_win" 1000 ||
    fail "the tray icon is $(drv tray-icon "$exe_win" 0), expected $1"
}

tray_icon_gone() { ! drv tray-icon "$exe_win" 0 >/dev/null; }

screenshot() {
  [ -n "${DISPLAY:-}" ] && [ -n "${artifacts:-}" ] && import -window root "$artifacts/$1.png" 2>/dev/null
  true
}

# exit_app: Exit from the tray menu, then wait for the process to end.
exit_app() {
  act command "$TITLE" "$TRAY_EXIT"
  wait_app_gone
}

wait_app_gone() {
  drv wait-gone "$TITLE" $((WAIT_S * 1000)) >/dev/null || fail "the program did not end"
  wait "$app_pid" 2>/dev/null
  unset app_pid
}
