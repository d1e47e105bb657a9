#!/usr/bin/env bash
# One stage of the build, shown as one line:  stage.sh LOG WHAT COMMAND...
# Prints "WHAT...", runs COMMAND with all its output in LOG and, when it
# fails, prints that output and where it is kept, so a failure never looks
# silent.
set -u
log=${1:?usage: stage.sh LOG WHAT COMMAND...}
what=${2:?usage: stage.sh LOG WHAT COMMAND...}
shift 2
echo "$what..."
mkdir -p "$(dirname "$log")"
"$@" >"$log" 2>&1
status=$?
[ $status -eq 0 ] && exit 0
cat "$log"
echo "$what failed (exit status $status); the output above is kept in $log" >&2
exit $status
