#!/usr/bin/env bash
# scripts/dist.sh WIN32_BUILD OUT_DIR
# Packages the built program as OUT_DIR/horalux-<version>-x64.msi (wixl) and
# .zip, then checks what it built: the version in the program and the
# packages, the program's size, its and the time provider's imports, the
# MSI's tables and payload.
set -euo pipefail
win32=$(cd "${1:?WIN32_BUILD}" && pwd) out=${2:?OUT_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "dist: $*" >&2; exit 1; }

version=$(sed -n 's/^#define HORALUX_VERSION_TEXT "\(.*\)"$/\1/p' "$win32/generated/res/Version.h")
[ -n "$version" ] || fail "no version in $win32/generated/res/Version.h"
name=horalux-$version-x64 stage=$out/stage
rm -rf "$stage" "$out/$name.msi" "$out/$name.zip" && mkdir -p "$stage"
cp "$win32/app/horalux.exe" "$win32/app/horalux.htm" "$win32/timeprov/horalux-timeprov.dll" "$stage/"
sed "s/@VERSION@/$version/g" "$root/installer/README.txt" | sed 's/$/\r/' >"$stage/README.txt"

# wixl takes the architecture from -a only and sources relative to here.
(cd "$stage" && wixl -a x64 -D Version="$version" -D BinDir=. -o "../$name.msi" "$root/installer/horalux.wxs")
# wixl drops the flag that carries the chosen features (the service) into an
# upgrade; set it in the Upgrade table's row of older versions.
msiinfo export "$out/$name.msi" Upgrade | sed 's/\r$//' |
  awk -F'\t' 'BEGIN { OFS = "\t" } NR > 3 && $7 == "OLDERFOUND" { $5 = $5 + 1 } { print }' >"$stage/Upgrade.idt"
# Nor does it write the MsiServiceConfig tables: the service's SID, its
# privileges and its restarts go in here, configured after the service's
# install and before its start (Windows Installer 5, Windows 7 and later).
msiinfo export "$out/$name.msi" InstallExecuteSequence | sed 's/\r$//' >"$stage/InstallExecuteSequence.idt"
printf 'MsiConfigureServices\tVersionNT>=601\t5850\n' >>"$stage/InstallExecuteSequence.idt"
msibuild "$out/$name.msi" -i "$stage/Upgrade.idt" -i "$stage/InstallExecuteSequence.idt" \
  -i "$root/installer/MsiServiceConfig.idt" -i "$root/installer/MsiServiceConfigFailureActions.idt"
(cd "$stage" && cmake -E tar cf "../$name.zip" --format=zip horalux.exe horalux-timeprov.dll horalux.htm README.txt)

# --- Checks ---
exe=$stage/horalux.exe
size=$(stat -c %s "$exe")
[ "$size" -le 1048576 ] || fail "horalux.exe has $size bytes, more than 1 MiB"
# Without its zero bytes a version block value follows its name directly.
strings=$(tr -d '\000' <"$exe")
for pair in "FileVersion$version" "ProductVersion$version" ProductNameHoralux "CompanyNameOrvanel Systems, Inc." \
  "FileDescriptionHoralux GPS clock" "LegalCopyrightCopyright (C) 2026 Orvanel Systems, Inc."; do
  grep -qaF "$pair" <<<"$strings" || fail "the version block lacks $pair"
done
grep -qaF "OriginalFilenamehoralux-timeprov.dll" <(tr -d '\000' <"$stage/horalux-timeprov.dll") ||
  fail "the time provider has no version block"
# Windows Time loads the provider into its own process: neither may need a DLL beside it.
for f in horalux.exe horalux-timeprov.dll; do
  imports=$(x86_64-w64-mingw32-objdump -p "$stage/$f" | awk '/DLL Name:/ { print tolower($3) }' | sort | xargs)
  grep -qE 'lib(stdc\+\+|gcc|winpthread)' <<<"$imports" && fail "$f needs a runtime DLL: $imports"
done
table() { msiinfo export "$out/$name.msi" "$1" | tail -n +4 | tr -d '\r'; }
property() { table Property | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }
[ "$(property ProductVersion)" = "$version" ] || fail "the MSI's ProductVersion is $(property ProductVersion)"
[ "$(property UpgradeCode)" = "{8a78c38d-54cd-409a-8854-ba0bc322f4a9}" ] || fail "the upgrade code changed"
# Each installed file comes from one component: the service's copy lies in a folder of its own.
placed=$({ table Component | cut -f 1,3; table File | cut -f 2,3 | sed 's/^/F:/'; } |
  awk -F'\t' '!/^F:/ { folder[$1] = $2; next } { print folder[substr($1, 3)] "/" $2 }' | sort | xargs)
[ "$placed" = "INSTALLDIR/horalux-timeprov.dll INSTALLDIR/horalux.exe INSTALLDIR/horalux.htm SERVICEDIR/horalux.exe" ] ||
  fail "MSI files: $placed"
table ServiceInstall | grep -qP '^Service\tHoralux\tHoralux GPS clock\t16\t2\t1\t.*NT AUTHORITY\\LocalService\t\t/service\tServiceProgram\t' ||
  fail "the service is not installed as agreed: $(table ServiceInstall)"
[ "$(table FeatureComponents | grep -c ServiceProgram)" = 1 ] && table Feature | grep -qP '^Service\t.*\t1000\t' ||
  fail "the service is no optional feature"
table MsiServiceConfig | grep -qP '^\w+\tHoralux\t5\t5\t1\tServiceProgram$' &&
  table MsiServiceConfig | grep -qP '^\w+\tHoralux\t5\t6\tSeSystemtimePrivilege\[~\]SeChangeNotifyPrivilege\tServiceProgram$' ||
  fail "the service gets no SID of its own or keeps privileges it does not need: $(table MsiServiceConfig)"
table MsiServiceConfigFailureActions |
  grep -qP '^\w+\tHoralux\t5\t86400\t\t\t1\[~\]1\[~\]1\t60000\[~\]60000\[~\]60000\tServiceProgram$' ||
  fail "the service is not restarted after a failure: $(table MsiServiceConfigFailureActions)"
table InstallExecuteSequence | awk -F'\t' '{ at[$1] = $3 }
  END { exit !(at["InstallServices"] < at["MsiConfigureServices"] && at["MsiConfigureServices"] < at["StartServices"]) }' ||
  fail "the service is not configured between its install and its start"
# The Windows Time feature: the provider, registered by the switch once the
# service runs, and taken back by it before the files go.
table FeatureComponents | grep -qP '^WindowsTime\tTimeProvider$' && table Feature | grep -qP '^WindowsTime\t.*\t1000\t' &&
  [ "$(table CustomAction | sort | xargs)" = "WindowsTimeOff 3154 horalux.exe /windows-time off /quiet WindowsTimeOn 3154 horalux.exe /windows-time on /quiet" ] &&
  table InstallExecuteSequence | awk -F'\t' '{ at[$1] = $3; if ($1 ~ /^WindowsTime/) when[$1] = $2 }
    END { exit !(at["WindowsTimeOff"] < at["StopServices"] && at["WindowsTimeOn"] > at["StartServices"] &&
                 when["WindowsTimeOn"] == "&WindowsTime=3" && when["WindowsTimeOff"] == "REMOVE=\"ALL\" OR &WindowsTime=2") }' ||
  fail "the Windows Time provider is no optional feature that the switch registers and takes back"
table Shortcut | grep -qP '^Horalux\tProgramMenuFolder\tHoralux\t' || fail "no Start-menu shortcut"
table Upgrade | grep -qP '\t257\t\tOLDERFOUND$' || fail "older versions are not upgraded with their features"
rm -rf "$stage/payload" && msiextract -C "$stage/payload" "$out/$name.msi" >/dev/null
for f in horalux.exe horalux-timeprov.dll horalux.htm; do
  cmp -s "$stage/$f" "$(find "$stage/payload" -name "$f" | head -n 1)" || fail "the MSI's $f differs from the build's"
done
[ "$(cmake -E tar tf "$out/$name.zip" | sort | xargs)" = "README.txt horalux-timeprov.dll horalux.exe horalux.htm" ] ||
  fail "zip holds: $(cmake -E tar tf "$out/$name.zip" | xargs)"

echo "dist: horalux.exe $size bytes, $out/$name.msi $(stat -c %s "$out/$name.msi") bytes," \
  "$out/$name.zip $(stat -c %s "$out/$name.zip") bytes"
