#!/usr/bin/env bash
# Start, Stop and Exit from the tray menu while the dialog is hidden; the
# window and tray icons follow the state, also after a failed attempt.
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

# A clock an hour off is refused by the system: the icons fall back while running.
clock_control --offset 3600
wait_log 1 "^$STAMP Win32 command: SetSystemTime\(\) failed\."
wait_tray_icon 130
wait_window_icon 130
clock_control
wait_tray_icon 131

choose_tray_item t
wait_log 1 "^$STAMP Stopped setting time\.\$"
wait_tray_icon 130
wait_window_icon 130
expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after Stop"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" disabled "Stop after Stop"

choose_tray_item x
wait_app_gone
expect_eq "$(ini_read Update Frequency)" 1 "stored period"
e2e_pass
