#!/usr/bin/env bash
# Start and Stop buttons with the dialog shown: the log holds only the new
# run's lines, Stop ends with "Stopped setting time." and the window icon follows.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock
ini_write com1 1

start_app
wait_visibility visible
act click "$TITLE" $START_ID
wait_log 2 "^$STAMP Time Set $STAMP UTC \$"
wait_window_icon 131
screenshot synchronising
act click "$TITLE" $STOP_ID
wait_log 1 "^$STAMP Stopped setting time\.\$"
wait_window_icon 130

act click "$TITLE" $START_ID
# The box shows the old text until the new run's first line replaces it.
new_run_only() { [ "$(log_count 'Stopped setting time')" -eq 0 ] && log_has_at_least 1 "Time Set"; }
until_true "$WAIT_S" new_run_only || fail "a new Start kept the old run's lines: $(log_lines | tr '\n' '|')"
first=$(log_lines | head -n1)
[[ "$first" =~ ^$STAMP\ Time\ Set ]] || fail "the log after a new Start begins with '$first'"
act click "$TITLE" $STOP_ID
wait_log 1 "Stopped setting time"
e2e_pass
