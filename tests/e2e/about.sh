#!/usr/bin/env bash
# The system menu's About command opens the About dialog, captioned with the
# program's file name and showing its version; Ok closes it and the main
# dialog goes on.
. "$(dirname "$0")/lib.sh"
e2e_setup

start_app
wait_visibility visible
act syscommand "$TITLE" about
drv wait horalux.exe $((WAIT_S * 1000)) >/dev/null || fail "the About dialog did not open"
version=$(drv get-text horalux.exe 11001)
[[ "$version" == "Version:  2.0.1.0"* ]] || fail "About shows version text '$version'"
screenshot about
act click horalux.exe 1
drv wait-gone horalux.exe $((WAIT_S * 1000)) >/dev/null || fail "Ok did not close the About dialog"
expect_eq "$(drv visible "$TITLE")" visible "main dialog after About"
act command "$TITLE" 2
wait_app_gone
e2e_pass
