#!/usr/bin/env bash
# "run" on the command line: synchronising starts at once, the dialog stays
# hidden, the aligned clock gives "Time Set" lines and the synchronised icon.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock
ini_write com1 1

start_app run
expect_eq "$(drv visible "$TITLE")" hidden "dialog after start with run"
wait_log 2 "^$STAMP Time Set $STAMP UTC \$"
wait_tray_icon 131
expect_eq "$(drv visible "$TITLE")" hidden "dialog while synchronising"
expect_eq "$(drv enabled "$TITLE" $START_ID)" disabled "Start while running"
expect_eq "$(drv enabled "$TITLE" $STOP_ID)" enabled "Stop while running"
screenshot tray-synced

exit_app
expect_eq "$(ini_read Update Frequency)" 1 "stored period"
expect_eq "$(ini_read Communication CommPort)" com1 "stored port"
e2e_pass
