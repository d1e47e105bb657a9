#!/usr/bin/env bash
# "run" on the command line. With a stored period below one second: message
# box 134, nothing starts, the dialog stays hidden with the idle tray icon.
# With a valid one: synchronising starts at once, the dialog stays hidden, the
# aligned clock gives "Time Set" lines and the synchronised icon. Either way
# the hidden dialog takes none of the keys typed for other windows.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock
ini_write com1 0

start_app /Run
expect_message "You must enter a frequency greater than or equal to 1 second."
# The idle tray icon comes with the clock timer, so initialisation is over.
wait_tray_icon 130
# Here they go to Wine's tray window, which Alt+F4 would close for good.
act input escape enter space
expect_eq "$(drv visible "$TITLE")" hidden "dialog after the refused start"
expect_eq "$(drv enabled "$TITLE" $START_ID)" enabled "Start after the refused start"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" disabled "Stop after the refused start"
# Two clock-timer ticks later still no worker has touched the port.
sleep 2
expect_eq "$(clock_received)" 0 "bytes sent to the clock"
expect_eq "$(log_lines)" "" "status log"
exit_app

ini_write com1 1
start_app run
expect_eq "$(drv visible "$TITLE")" hidden "dialog after start with run"
wait_log 2 "^$STAMP Time Set $STAMP UTC \$"
act input escape enter space alt+f4
wait_log 4 "^$STAMP Time Set $STAMP UTC \$"
wait_tray_icon 131
expect_eq "$(drv visible "$TITLE")" hidden "dialog while synchronising"
expect_eq "$(drv enabled "$TITLE" $START_ID)" disabled "Start while running"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" enabled "Stop while running"
screenshot tray-synced
e2e_pass
