#!/usr/bin/env bash
# Settings: defaults without an INI file, Escape stores nothing, Exit stores
# both texts as typed (also a period that is not a number), and a stored
# port selects the first list item it begins, without regard to case. When
# the file cannot be written, Exit says where and why, then ends all the same.
. "$(dirname "$0")/lib.sh"
e2e_setup

start_app
wait_visibility visible
expect_eq "$(drv get-text "$TITLE" $PORT_ID)" com1 "default port"
expect_eq "$(drv get-text "$TITLE" $PERIOD_ID)" 60 "default period"
expect_eq "$(drv items "$TITLE" $PORT_ID | tr '\n' '|')" "com1|com2|com3|com4|edit this...|" "port list"
act set-text "$TITLE" $PERIOD_ID 15
act key "$TITLE" escape
wait_app_gone
if ini_read Update Frequency >/dev/null; then fail "Escape stored the period"; fi

start_app
expect_eq "$(drv get-text "$TITLE" $PERIOD_ID)" 60 "period after Escape"
act select "$TITLE" $PORT_ID com3
act set-text "$TITLE" $PERIOD_ID abc
act click "$TITLE" $EXIT_ID
wait_app_gone
expect_eq "$(ini_read Communication CommPort)" com3 "stored port"
expect_eq "$(ini_read Update Frequency)" abc "stored period"

check_port() { # STORED SHOWN
  ini_write "$1" 5
  start_app
  expect_eq "$(drv get-text "$TITLE" $PORT_ID)" "$2" "port box for stored '$1'"
  expect_eq "$(drv get-text "$TITLE" $PERIOD_ID)" 5 "period box"
  act command "$TITLE" 2 # Cancel: leaves without writing
  wait_app_gone
  expect_eq "$(ini_read Communication CommPort)" "$1" "port kept after Cancel"
}
check_port COM2 com2
check_port com com1
check_port com7 ""

ini_remove
mkdir "$WINEPREFIX/drive_c/windows/horalux.INI"
start_app
act click "$TITLE" $EXIT_ID
expect_message "The settings could not be saved in C:\\windows\\horalux.INI.
Access denied."
wait_app_gone
e2e_pass
