#!/usr/bin/env bash
# Windows Time's side under Wine, played by tests/e2e/TimeProvHost.cpp as the
# service W32Time: the switches say when Windows Time is missing; with the
# host, /windows-time registers the provider, which the host loads from the
# registry and holds to the documented contract while the service feeds it
# from a clock 300 ms ahead, and is told when the service falls silent;
# /lan-server writes the NTP server's values and the firewall rule (as far as
# Wine's firewall, which keeps nothing, records the calls); each off leaves
# nothing behind. Environment (set by CTest): HORALUX_EXE, HORALUX_DLL,
# HORALUX_HOST, HORALUX_DRIVER, HORALUX_TOOLS_DIR, WINEPREFIX, HORALUX_ARTIFACTS.
set -u -o pipefail
[ -f "$HORALUX_EXE" ] && [ -f "$HORALUX_DLL" ] || { echo "SKIP: the program or its provider is not built yet"; exit 77; }
export WINEDEBUG=-all,fixme+hnetcfg WINEDLLOVERRIDES="mscoree,mshtml="
. "$(dirname "$0")/../../scripts/wine-env.sh"

WAIT_S=${E2E_WAIT_S:-90} # a hang guard per wait, not a timing check
artifacts=${HORALUX_ARTIFACTS:?}/timeprov c=$WINEPREFIX/drive_c
log=$c/ProgramData/Horalux/horalux.log report=$artifacts/host.txt ini=$c/windows/horalux.INI
W32='HKLM\System\CurrentControlSet\Services\W32Time'
SETTINGS='[Communication]|CommPort=com5|[Update]|Frequency=2|'
exe='C:\Program Files\Horalux\horalux.exe' dll='C:\Program Files\Horalux\horalux-timeprov.dll'

fail() { echo "FAIL [timeprov:${BASH_LINENO[0]}]: $*" >&2; tail -n 5 "$report" "$log" >&2 2>/dev/null; exit 1; }
wine() { /usr/lib/wine/wine64 "$@"; }
until_true() { local end=$((SECONDS + WAIT_S)); until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.3; done; }
cleanup() { wine "$exe" /remove-service /quiet >/dev/null 2>&1; /usr/lib/wine/wineserver -k 2>/dev/null
  [ -z "${keeper:-}" ] || wait "$keeper"; stop_simulator; stop_display; }
expect() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
# run SWITCH...: "exit code|the box's text"; what Wine's firewall was told goes to $calls.
run() {
  wine "$exe" "$@" >"$calls" 2>&1 & local pid=$! text
  text=$(wine "$HORALUX_DRIVER" msgbox horalux 2>>"$artifacts/driver.txt" | tr -d '\r')
  wait $pid
  echo "$?|$text"
}
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = $2 = ""; print substr($0, 3) }'; }
reported() { grep -c -- "$1" "$report" 2>/dev/null; }
settings() { tr -d '\r' <"$ini" | grep -v '^$' | tr '\n' '|'; }
dos() { echo "Z:${1//\//\\}"; }

rm -rf "$artifacts" "$WINEPREFIX" && mkdir -p "$artifacts" && trap cleanup EXIT
calls=$artifacts/switch.txt
wine_prefix_init && start_display
printf '%s' "$SETTINGS" | tr '|' '\n' | sed 's/$/\r/' >"$ini"
start_simulator com5 --lead 300 || fail "the simulator did not start"
wine notepad >/dev/null 2>&1 & keeper=$!   # Wine ends its services with the last program
until_true eval 'wine sc query PlugPlay >/dev/null 2>&1' || fail "the service manager does not answer"
mkdir -p "$c/Program Files/Horalux" && cp "$HORALUX_EXE" "$HORALUX_DLL" "$c/Program Files/Horalux/"

# --- Without Windows Time the switches change nothing ---
for s in "/windows-time on" "/lan-server on"; do
  expect "$(run $s)" "3|Windows Time is not installed on this PC." "$s without Windows Time"
done
expect "$(settings)" "$SETTINGS" "the settings after switches that failed"

# --- The host as W32Time; the service, installed after the switch, feeds it from its start ---
wine sc create W32Time binPath= "$(dos "$HORALUX_HOST") $(dos "$report") 3000000 C:\\ProgramData\\Horalux\\horalux.log" \
  >/dev/null || fail "the host could not be installed as W32Time"
expect "$(run /windows-time on)" "0|Windows Time now sets this PC's clock from the Horalux service's samples: its provider \
$dll is registered, Windows Time starts with Windows and was restarted." "/windows-time on"
expect "$(value "$W32\\TimeProviders\\Horalux" DllName)|$(value "$W32\\TimeProviders\\Horalux" Enabled)|\
$(value "$W32\\TimeProviders\\Horalux" InputProvider)|$(value "$W32" Start)" "$dll|0x1|0x1|0x2" "the registration"
grep -q '^Mode=WindowsTime' "$ini" || fail "no feed mode in the settings"
expect "$(run /install-service | cut -c1)" 0 "the service's install"
until_true grep -q 'samples go to Windows Time\.' "$log" || fail "the service did not read the mode"
until_true grep -qE '^(contract done|FAIL)' "$report" && ! grep FAIL "$report" || fail "the provider broke the contract"
expect "$(grep -c '^sample Orvanel GPS clock on com5 (Horalux) offset ' "$report")|$(reported '^status running stratum 1$')|\
$(grep -cxF "loaded Horalux $dll" "$report")|$(reported '^event 4 Horalux: Samples started: the Orvanel GPS clock on com5')" \
  "4|1|1|1" "samples checked, status, load from the registry, the event of the start"
! grep -q '\[151\]' "$log" || fail "the service set the clock while feeding Windows Time"
expect "$(run /windows-time on)" "1|Horalux already feeds Windows Time: nothing was changed." "a second on"

# --- The window says who sets the clock ---
TITLE="Orvanel Systems, Inc. GPS Clock"
wine "$exe" >/dev/null 2>&1 & window=$!
wine "$HORALUX_DRIVER" wait "$TITLE" || fail "no window"
until_true eval 'wine "$HORALUX_DRIVER" text "$TITLE" 1003 | grep -q "Windows Time sets this PC.s clock from the Horalux service.s samples; the service.s status lines follow\."' ||
  fail "the window does not say that Windows Time sets the clock"
wine "$HORALUX_DRIVER" click "$TITLE" 57672 && wait $window

# --- The service stopped: four silent periods are reported once ---
wine sc stop Horalux >/dev/null && until_true grep -q 'No sample from the Horalux service for 4 periods (8 s)' "$report" &&
  expect "$(reported '^status error stratum 0$')" 1 "the status after silence" || fail "no word of the silence"

# --- Off: nothing of the provider is left, Windows Time starts as it did ---
expect "$(run /windows-time off | cut -c1-2)" "0|" "/windows-time off"
expect "$(value "$W32\\TimeProviders\\Horalux" DllName)|$(value "$W32" Start)|$(settings)" "|0x3|$SETTINGS" \
  "the provider, Windows Time's start and the settings after off"
until_true grep -q '^no provider$' "$report" || fail "the restarted host still found a provider"

# --- The LAN server: the values, the rule as Wine's firewall records it, and off ---
expect "$(run /lan-server on | cut -c1-2)" "0|" "/lan-server on"
expect "$(value "$W32\\TimeProviders\\NtpServer" Enabled)|$(value "$W32\\Config" AnnounceFlags)" "0x1|0x5" "the NTP server's values"
rule=$(grep -oE 'netfw_rule_put_[A-Za-z]+ [^,]*, .*|netfw_rules_Add' "$calls" | sed 's/ [^,]*, / /' | tr -d '\r' | tr '\n' '|')
expect "$rule" 'netfw_rule_put_Name L"Horalux: Windows Time NTP server (UDP 123 in)"|netfw_rule_put_Description L"Lets the PCs of the LAN set their clocks from this PC, which Horalux keeps to a GPS clock."|netfw_rule_put_Protocol 17|netfw_rule_put_LocalPorts L"123"|netfw_rule_put_Direction 1|netfw_rule_put_Action 1|netfw_rule_put_Enabled 0xffffffff|netfw_rules_Add|' "the firewall rule"
expect "$(run /lan-server on)" "1|This PC already serves its time to the LAN: nothing was changed." "a second on"
expect "$(run /lan-server off | cut -c1-2)" "0|" "/lan-server off"
grep -q 'netfw_rules_Remove [^,]*, L"Horalux: Windows Time NTP server (UDP 123 in)"' "$calls" || fail "the rule was not removed"
expect "$(value "$W32\\TimeProviders\\NtpServer" Enabled)|$(value "$W32\\Config" AnnounceFlags)|$(settings)" "||$SETTINGS" \
  "the NTP server's values and the settings after off"
grep '^figure' "$report"
echo "PASS"
