#!/usr/bin/env bash
# The MSI under Wine: an older build, then this one (an upgrade), then a
# rebuild of the same version each leave one installed copy with the files
# and the Start-menu shortcut; a quiet uninstall removes them; the settings
# file stays throughout. With the service feature the service sets the time
# from the simulator; removing the feature stops and removes the service and
# leaves the program. The Windows Time feature registers the provider through
# the switch, and the package's removal takes it back. Environment (set by CTest):
# HORALUX_WIN32_DIR, HORALUX_TOOLS_DIR, HORALUX_HOST, WINEPREFIX.
set -u -o pipefail
root=$(cd "$(dirname "$0")/../.." && pwd) && . "$root/scripts/wine-env.sh"
fail() { echo "FAIL [msi:${BASH_LINENO[0]}]: $*" >&2; exit 1; }
out=$HORALUX_WIN32_DIR/msi-test c=$WINEPREFIX/drive_c && rm -rf "$out" "$WINEPREFIX"
"$root/scripts/dist.sh" "$HORALUX_WIN32_DIR" "$out" || fail "packaging failed"
# The same source built as an older version and rebuilt as this one (a new product code).
for v in 2.0.0.0 2.0.1.0; do (cd "$out/stage" && wixl -a x64 -D Version=$v -D BinDir=. -o "../$v.msi" "$root/installer/horalux.wxs"); done
wine_prefix_init

# --- The Windows Time feature: the switch registers the provider, the package's removal takes it back ---
# A stand-in for Windows Time, which Wine lacks, that the switch restarts (tests/e2e/TimeProvHost.cpp).
/usr/lib/wine/wine64 sc create W32Time binPath= "Z:${HORALUX_HOST//\//\\} Z:${out//\//\\}\\host.txt 0 C:\\log" >/dev/null ||
  fail "no stand-in for Windows Time"
printf '[Communication]\r\nCommPort=com5\r\n' >"$c/windows/horalux.INI"
registered() { echo "$(/usr/lib/wine/wine64 reg query 'HKLM\System\CurrentControlSet\Services\W32Time\TimeProviders\Horalux' /v DllName 2>/dev/null |
  tr -d '\r' | grep -o 'C:.*')|$(tr -d '\r' <"$c/windows/horalux.INI" | grep -v '^$' | xargs)|$(ls "$c/Program Files/Horalux" 2>/dev/null | grep -c timeprov)"; }
/usr/lib/wine/wine64 msiexec /i "$out"/horalux-2.0.1.0-x64.msi ADDLOCAL=Horalux,WindowsTime /qn || fail "the install with the provider failed"
[ "$(registered)" = 'C:\Program Files\Horalux\horalux-timeprov.dll|[Communication] CommPort=com5 [WindowsTimeBefore]'\
' Start=3 [Update] Mode=WindowsTime|1' ] || fail "with the provider: $(registered)"
/usr/lib/wine/wine64 msiexec /x "$out"/horalux-2.0.1.0-x64.msi /qn || fail "the uninstall with the provider failed"
[ "$(registered)" = '|[Communication] CommPort=com5|0' ] || fail "without the provider: $(registered)"
/usr/lib/wine/wine64 sc delete W32Time >/dev/null

printf '[Communication]\r\nCommPort=com3\r\n' >"$c/windows/horalux.INI"
# step /i|/x PACKAGE EXPECTED: runs msiexec quietly, then compares the program
# folder, the shortcut and settings file count and the versions the system lists as installed.
step() {
  /usr/lib/wine/wine64 msiexec "$1" "$out/$2" /qn; /usr/lib/wine/wineserver -w
  local versions='/^\[.*Uninstall\\\\\{/ { u = 1; next } /^\[/ { u = 0 } u && sub(/^"DisplayVersion"=/, "")'
  local seen="$(ls "$c/Program Files/Horalux" 2>/dev/null | xargs)|$(find "$c" -name Horalux.lnk -o -path "$c/windows/horalux.INI" | wc -l)|$(awk "$versions" "$WINEPREFIX/system.reg" | xargs)"
  [ "$seen" = "$3" ] || fail "msiexec $1 $2: expected '$3', got '$seen'"
}
step /i 2.0.0.0.msi "horalux.exe horalux.htm|2|2.0.0.0"
for msi in horalux-2.0.1.0-x64.msi 2.0.1.0.msi; do step /i $msi "horalux.exe horalux.htm|2|2.0.1.0"; done
step /x 2.0.1.0.msi "|1|"

# --- The service feature ---
trap '/usr/lib/wine/wineserver -k; stop_simulator; stop_display' EXIT
printf '[Communication]\r\nCommPort=com5\r\n[Update]\r\nFrequency=1\r\n' >"$c/windows/horalux.INI" && start_display
start_simulator com5 --align || fail "the simulator did not start"
# Wine ends its services with the last program of the prefix: one stays open.
/usr/lib/wine/wine64 notepad >/dev/null 2>&1 &
/usr/lib/wine/wine64 msiexec /i "$out"/horalux-2.0.1.0-x64.msi ADDLOCAL=ALL /qn || fail "the install with the service failed"
wait_for() { for _ in $(seq 300); do "$@" && return; sleep 0.3; done; false; } # a hang guard, not a timing check
wait_for grep -qE '\[(151\] Time Set|174\] Windows reported the time set)' "$c/ProgramData/Horalux/horalux.log" || fail "the installed service set no time"
# What Wine's service manager keeps of it: image and account (no SID type, privileges or
# restarts, and Wine's msiexec does not run MsiConfigureServices). The service runs its own copy.
svc=$(/usr/lib/wine/wine64 reg query 'HKLM\System\CurrentControlSet\Services\Horalux' | tr -d '\r')
grep -qF 'C:\Program Files\Horalux\Service\horalux.exe /service' <<<"$svc" && grep -qF 'NT AUTHORITY\LocalService' <<<"$svc" ||
  fail "the service is registered as: $svc"
# Without its feature the service is stopped and removed, and the program stays.
# Wine's msiexec returns before the service manager has let the service go.
/usr/lib/wine/wine64 msiexec /i "$out"/horalux-2.0.1.0-x64.msi REMOVE=Service /qn || fail "removing the service feature failed"
service_gone() { ! /usr/lib/wine/wine64 sc query Horalux >/dev/null 2>&1; }
wait_for service_gone && cmp -s "$c/Program Files/Horalux/horalux.exe" "$out/stage/horalux.exe" ||
  fail "without its feature the service stayed or the program went"
# Wine's msiexec does not wait for the stop it asks for, so the program file the
# service still runs from stays behind here; Windows waits (ServiceControl Wait).
/usr/lib/wine/wine64 msiexec /x "$out"/horalux-2.0.1.0-x64.msi /qn || fail "the uninstall failed"
