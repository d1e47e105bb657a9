#!/usr/bin/env bash
# Start refuses a period below one second (0, -5, abc, empty) with message box
# 134 and an empty port with 163; nothing starts. A port that does not exist
# starts, every tick logs "Failed to open comm port." with the idle icon, and
# Stop logs "Stopped setting time.".
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock

start_app
wait_visibility visible
for period in 0 -5 abc ""; do
  act set-text "$TITLE" $PERIOD_ID "$period"
  act click "$TITLE" $START_ID
  expect_message "You must enter a frequency greater than or equal to 1 second."
  expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after refusing period '$period'"
done

act set-text "$TITLE" $PERIOD_ID 1
act set-text "$TITLE" $PORT_ID ""
act click "$TITLE" $START_ID
expect_message "No comm port selected!"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" disabled "Stop after refusing an empty port"
expect_eq "$(clock_received)" 0 "bytes sent to the clock"
expect_eq "$(log_lines)" "" "status log"

act set-text "$TITLE" $PORT_ID com42
act click "$TITLE" $START_ID
wait_log 3 "^$STAMP Failed to open comm port\.\$"
expect_eq "$(log_count 'Time Set')" 0 "Time Set lines"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" enabled "Stop while retrying"
wait_window_icon 130
screenshot retrying
act click "$TITLE" $STOP_ID
wait_log 1 "^$STAMP Stopped setting time\.\$"

# A new Start clears the log: the box keeps the old text until the new run's first line.
act click "$TITLE" $START_ID
new_run_only() { [ "$(log_count 'Stopped setting time')" -eq 0 ] && log_has_at_least 1 "Failed to open"; }
until_true "$WAIT_S" new_run_only || fail "a new Start kept the old run's lines: $(log_lines | tr '\n' '|')"
act click "$TITLE" $STOP_ID
wait_log 1 "Stopped setting time"
e2e_pass
