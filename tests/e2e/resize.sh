#!/usr/bin/env bash
# Resizing keeps the buttons' sizes, spreads them over the height, grows the
# status log both ways, and stops at the layout's minimum size.
. "$(dirname "$0")/lib.sh"
e2e_setup

start_app
wait_visibility visible
size_of() { local r; r=($(drv client-rect "$TITLE" "$1")); echo "$((r[2] - r[0]))x$((r[3] - r[1]))"; }
start_size=$(size_of $START_ID)
exit_size=$(size_of $EXIT_ID)
log_before=($(drv client-rect "$TITLE" $LOG_ID))
screenshot before

act move "$TITLE" 0 0 760 560
win=($(drv rect "$TITLE"))
expect_eq "$((win[2] - win[0]))x$((win[3] - win[1]))" 760x560 "window size after growing"
expect_eq "$(size_of $START_ID)" "$start_size" "Start button size"
expect_eq "$(size_of $EXIT_ID)" "$exit_size" "Exit button size"
log_after=($(drv client-rect "$TITLE" $LOG_ID))
[ $((log_after[2] - log_after[0])) -gt $((log_before[2] - log_before[0])) ] || fail "the log did not grow wider"
[ $((log_after[3] - log_after[1])) -gt $((log_before[3] - log_before[1])) ] || fail "the log did not grow taller"
start=($(drv client-rect "$TITLE" $START_ID))
exit_button=($(drv client-rect "$TITLE" $EXIT_ID))
[ "${exit_button[1]}" -gt $((log_after[1])) ] || fail "Exit is not at the bottom"
[ "${start[1]}" -lt "${log_after[1]}" ] || fail "Start is not at the top"
[ "${log_after[2]}" -le "${start[0]}" ] || fail "the log runs into the button column"
screenshot grown

act move "$TITLE" 0 0 40 40
small=($(drv rect "$TITLE"))
min_w=$((small[2] - small[0])) min_h=$((small[3] - small[1]))
[ $min_w -gt 40 ] && [ $min_h -gt 40 ] || fail "the window became ${min_w}x${min_h}"
act move "$TITLE" 0 0 $((min_w - 1)) $((min_h - 1))
again=($(drv rect "$TITLE"))
expect_eq "$((again[2] - again[0]))x$((again[3] - again[1]))" "${min_w}x${min_h}" "size below the minimum"
expect_eq "$(size_of $START_ID)" "$start_size" "Start button size at the minimum"
start=($(drv client-rect "$TITLE" $START_ID))
stop=($(drv client-rect "$TITLE" $STOP_ID))
exit_button=($(drv client-rect "$TITLE" $EXIT_ID))
[ "${start[3]}" -le "${stop[1]}" ] && [ "${stop[3]}" -le "${exit_button[1]}" ] || fail "buttons overlap at the minimum size"
screenshot smallest
e2e_pass
