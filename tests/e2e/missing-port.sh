#!/usr/bin/env bash
# A port that does not exist: every tick logs "Failed to open comm port." and
# the icons stay idle.
. "$(dirname "$0")/lib.sh"
e2e_setup
ini_write com1 1

start_app
wait_visibility visible
act set-text "$TITLE" $PORT_ID com42
act click "$TITLE" $START_ID
wait_log 3 "^$STAMP Failed to open comm port\.\$"
expect_eq "$(log_count 'Time Set')" 0 "Time Set lines"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" enabled "Stop while retrying"
wait_window_icon 130
act click "$TITLE" $STOP_ID
wait_log 1 "Stopped setting time"
e2e_pass
