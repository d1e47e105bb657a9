#!/usr/bin/env bash
# Minimising hides the dialog; the tray's double click and its Configure item
# bring it back restored; a dismissed tray menu leaves it deaf to keys.
. "$(dirname "$0")/lib.sh"
e2e_setup
start_clock

start_app
wait_visibility visible
screenshot dialog

act syscommand "$TITLE" minimize
wait_visibility hidden
act tray "$TITLE" dblclick
wait_visibility visible
expect_eq "$(drv iconic "$TITLE")" normal "state after double click"

act syscommand "$TITLE" minimize
wait_visibility hidden
act tray "$TITLE" rclick
act menu-wait $((WAIT_S * 1000))
expect_eq "$(drv menu-bold "$exe_win" 131)" "$TRAY_CONFIGURE" "bold (default) item of the tray menu"
screenshot tray-menu
# Escape closes the menu and leaves the hidden dialog in front: keys typed
# next are not for it.
act input escape
act input escape enter
expect_eq "$(drv visible "$TITLE")" hidden "dialog after the menu was dismissed"
act tray "$TITLE" rclick
act menu-wait $((WAIT_S * 1000))
act menu-choose c
wait_visibility visible
expect_eq "$(drv iconic "$TITLE")" normal "state after Configure"

e2e_pass
