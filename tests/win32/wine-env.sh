# Shell functions shared by the Wine test runner, the end-to-end tests and the
# demo. Source it; WINEPREFIX must be set.

pids_to_stop=()

wine_prefix_init() {
  mkdir -p "$WINEPREFIX"
  # One initialisation per prefix, also when several runners start at once.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      WINEDLLOVERRIDES="mscoree,mshtml=" /usr/bin/wineboot -i >/dev/null 2>&1
      /usr/lib/wine/wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
}

start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return
  fi
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

stop_display() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    unset xvfb_pid
  fi
}

# start_simulator PORT [simulator switches]: links the simulator's terminal as
# PORT (com5, ...) in the prefix.
start_simulator() {
  :
}

stop_simulator() {
  :
}
