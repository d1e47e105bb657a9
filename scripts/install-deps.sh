#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need.
# Does nothing when they are all present, so a second run is quick and quiet.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev googletest
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb x11-utils imagemagick
  wixl msitools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
# apt's output goes to the log, and to the screen only when it fails.
exec "$(dirname "$0")/stage.sh" "${HORALUX_LOGS:-${TMPDIR:-/tmp}}/install-deps.log" \
  "installing packages: ${missing[*]}" \
  sh -c "$SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends ${missing[*]}"
