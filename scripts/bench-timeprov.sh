#!/usr/bin/env bash
# scripts/bench-timeprov.sh: the time provider's figures from its end-to-end
# run under Wine (tests/e2e/timeprov.sh): how long after the service's log
# line each sample reached the host that plays Windows Time (goal: within
# 50 ms of the attempt's end), the longest TimeProvCommand (goal: 1 ms) and
# TPC_Shutdown with TimeProvClose (goal: 1 s).
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --test-dir build/win32 -R '^e2e\.timeprov$' -V | sed -n 's/^[0-9]*: figure /timeprov: /p'
