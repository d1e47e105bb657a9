#!/usr/bin/env bash
# Start, Stop and Exit from the tray menu while the dialog is hidden; the
# window and tray icons follow the state and the last attempt's outcome.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock
ini_write com1 1

start_app
wait_visibility visible
wait_window_icon 130
act syscommand "$TITLE" minimize
wait_visibility hidden

choose_tray_item s
wait_log 2 "^$STAMP Time Set $STAMP UTC \$"
wait_tray_icon 131
wait_window_icon 131
expect_eq "$(drv visible "$TITLE")" hidden "dialog after tray Start"

# A clock that stops answering spoils attempts without ending the worker:
# the icons fall back while it runs, and return with the answers.
clock_control --reply none
wait_log 1 "^$STAMP Failed to read clock time from the selected comm port\.\$"
wait_tray_icon 130
wait_window_icon 130
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" enabled "Stop while attempts fail"
clock_control
wait_tray_icon 131

choose_tray_item t
wait_log 1 "^$STAMP Stopped setting time\.\$"
wait_tray_icon 130
wait_window_icon 130
expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after Stop"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" disabled "Stop after Stop"

# A clock an hour off is refused by the system, which ends the worker.
clock_control --offset 3600
choose_tray_item s
wait_log 1 "^$STAMP Win32 command: SetSystemTime\(\) failed\."
wait_log 1 "^$STAMP Stopped setting time\.\$"
wait_tray_icon 130
expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after a refused set"

choose_tray_item x
wait_app_gone
until_true "$WAIT_S" tray_icon_gone || fail "the tray icon stayed after Exit"
expect_eq "$(ini_read Update Frequency)" 1 "stored period"
e2e_pass
