# Shell functions shared by the Wine test runner, the end-to-end tests, the
# demo and the benchmarks. Source it; WINEPREFIX must be set.

wine_prefix_init() {
  mkdir -p "$WINEPREFIX"
  # One initialisation per prefix, also when several runners start at once.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      WINEDLLOVERRIDES="mscoree,mshtml=" /usr/bin/wineboot -i >/dev/null 2>&1
      # Xvfb has no window manager: unmanaged windows spare a 2 s wait for
      # one at every hide.
      /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      /usr/lib/wine/wineserver -w
    fi
    map_com_ports
  ) 9>"$WINEPREFIX.lock"
}

# Wine gives the host's serial devices (/dev/ttyS*) the first COM names and
# rewrites dosdevices/comN at every start. Pinning COM1 to COM9 to links in
# $WINEPREFIX/ports lets a simulator stand behind any of them.
map_com_ports() {
  local ports="$WINEPREFIX/ports" reg="$WINEPREFIX/ports.reg" i
  [ -f "$ports/.mapped" ] && return
  mkdir -p "$ports"
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    for i in 1 2 3 4 5 6 7 8 9; do printf '"COM%d"="%s/com%d"\n' "$i" "$ports" "$i"; done
  } >"$reg"
  /usr/lib/wine/wine64 regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$ports/.mapped"
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

# start_simulator PORT [simulator switches]
#   Starts $HORALUX_TOOLS_DIR/gpsclock-sim with its terminal linked as PORT
#   (com5, ...) in the prefix, waits until the link is there and exports for
#   the test programs:
#     HORALUX_SIM_LOG      Unix path of the simulator's byte log
#     HORALUX_SIM_CONTROL  Unix path of its control file: write switches there
#                          to change its behaviour while it runs
#   A Windows program reaches /x/y as Z:\x\y. The switches are listed at the
#   top of tools/gpsclock-sim.cpp. One simulator at a time; it also ends when
#   the shell that started it ends.
# stop_simulator
#   Stops it, removes the link and its temporary folder.
start_simulator() {
  local port=${1:?start_simulator needs a port such as com5}
  shift
  local sim="${HORALUX_TOOLS_DIR:-}/gpsclock-sim"
  if [ ! -x "$sim" ]; then
    echo "start_simulator: no simulator at '$sim' (set HORALUX_TOOLS_DIR)" >&2
    return 1
  fi
  stop_simulator
  sim_dir=$(mktemp -d "${TMPDIR:-/tmp}/horalux-sim.XXXXXX")
  sim_link="$WINEPREFIX/ports/${port,,}"
  export HORALUX_SIM_LOG="$sim_dir/bytes.log" HORALUX_SIM_CONTROL="$sim_dir/control"
  : >"$HORALUX_SIM_LOG"
  : >"$HORALUX_SIM_CONTROL"
  "$sim" --link "$sim_link" --log "$HORALUX_SIM_LOG" --control "$HORALUX_SIM_CONTROL" \
    --exit-with-parent "$@" >"$sim_dir/output" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -L "$sim_link" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "start_simulator: the simulator did not come up:" >&2
  cat "$sim_dir/output" >&2
  stop_simulator
  return 1
}

stop_simulator() {
  if [ -n "${sim_pid:-}" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  [ -n "${sim_dir:-}" ] && rm -rf "$sim_dir"
  unset sim_pid sim_dir sim_link HORALUX_SIM_LOG HORALUX_SIM_CONTROL
  return 0
}
