#!/usr/bin/env bash
# "run" with a stored period below one second: message box 134, nothing is
# started, the dialog stays hidden and the tray shows the idle icon.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock
ini_write com1 0

start_app /Run
expect_message "You must enter a frequency greater than or equal to 1 second."
# The idle tray icon comes with the clock timer, so initialisation is over.
wait_tray_icon 130
expect_eq "$(drv visible "$TITLE")" hidden "dialog after the refused start"
expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after the refused start"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" disabled "Stop after the refused start"
# Two clock-timer ticks later still no worker has touched the port.
sleep 2
expect_eq "$(clock_received)" 0 "bytes sent to the clock"
expect_eq "$(log_lines)" "" "status log"
e2e_pass
