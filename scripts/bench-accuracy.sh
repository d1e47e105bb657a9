#!/usr/bin/env bash
# How close each set brings the PC clock to GPS time, on virtual time: the
# real worker with whole-second sets and with sets from the offset estimate.
#   scripts/bench-accuracy.sh [runs]       (after `make build`)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$root/build/native" --target accuracy-bench >/dev/null || exit 1
exec "$root/build/native/tools/accuracy-bench" "${1:-200}"
