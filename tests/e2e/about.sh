#!/usr/bin/env bash
# The About box from the main dialog's system menu: captioned with the
# executable's file name, the version text, the three links, and back.
. "$(dirname "$0")/lib.sh"
e2e_setup
ABOUT="horalux.exe"

start_app
wait_visibility visible
act syscommand "$TITLE" about
drv wait "$ABOUT" $((WAIT_S * 1000)) >/dev/null || fail "no About box captioned '$ABOUT'"
expect_eq "$(drv get-text "$ABOUT" 11001)" "Version:  2.0.1.0" "version text"
expect_eq "$(drv get-text "$ABOUT" 11002)" "https://www.orvanel.example.com" "web link"
expect_eq "$(drv get-text "$ABOUT" 11005)" "sales@orvanel.example.com" "sales link"
expect_eq "$(drv get-text "$ABOUT" 11003)" "support@orvanel.example.com" "support link"
drv get-text "$ABOUT" 11004 | head -n1 | grep -q "^Orvanel Systems, Inc\." || fail "contact block does not start with the company"
screenshot about
act click "$ABOUT" 1
drv wait-gone "$ABOUT" $((WAIT_S * 1000)) >/dev/null || fail "Ok did not close the About box"
expect_eq "$(drv visible "$TITLE")" visible "main dialog after the About box"
exit_app
e2e_pass
