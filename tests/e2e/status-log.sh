#!/usr/bin/env bash
# The status log keeps the newest 100 lines: the 101st drops exactly the
# oldest. Identifiers without a string give the "Unknown msg" text.
. "$(dirname "$0")/lib.sh"
e2e_setup

start_app
wait_visibility visible
act status "$TITLE" 1001 100
wait_log 100 "^$STAMP Unknown msg 1[01][0-9][0-9]: Win32 status was: \$"
expect_eq "$(log_lines | head -n1 | cut -d' ' -f2-)" "Unknown msg 1001: Win32 status was: " "oldest line"
act status "$TITLE" 1101 1
wait_log 1 "Unknown msg 1101:"
expect_eq "$(log_count .)" 100 "lines after the 101st"
expect_eq "$(log_lines | head -n1 | cut -d' ' -f2-)" "Unknown msg 1002: Win32 status was: " "oldest line after the 101st"
screenshot full-log
exit_app
e2e_pass
