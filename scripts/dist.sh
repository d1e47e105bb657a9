#!/usr/bin/env bash
# scripts/dist.sh WIN32_BUILD OUT_DIR
# Packages the built program as OUT_DIR/horalux-<version>-x64.msi (wixl) and
# .zip, then checks what it built: the version in the program and the
# packages, the program's size and imports, the MSI's tables and payload.
set -euo pipefail
win32=$(cd "${1:?WIN32_BUILD}" && pwd) out=${2:?OUT_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "dist: $*" >&2; exit 1; }

version=$(sed -n 's/^#define HORALUX_VERSION_TEXT "\(.*\)"$/\1/p' "$win32/generated/res/Version.h")
[ -n "$version" ] || fail "no version in $win32/generated/res/Version.h"
name=horalux-$version-x64 stage=$out/stage
rm -rf "$stage" "$out/$name.msi" "$out/$name.zip" && mkdir -p "$stage"
cp "$win32/app/horalux.exe" "$win32/app/horalux.htm" "$stage/"
sed "s/@VERSION@/$version/g" "$root/installer/README.txt" | sed 's/$/\r/' >"$stage/README.txt"

# wixl takes the architecture from -a only and sources relative to here.
(cd "$stage" && wixl -a x64 -D Version="$version" -D BinDir=. -o "../$name.msi" "$root/installer/horalux.wxs")
# wixl drops the flag that carries the chosen features (the service) into an
# upgrade; set it in the Upgrade table's row of older versions.
msiinfo export "$out/$name.msi" Upgrade | sed 's/\r$//' |
  awk -F'\t' 'BEGIN { OFS = "\t" } NR > 3 && $7 == "OLDERFOUND" { $5 = $5 + 1 } { print }' >"$stage/Upgrade.idt"
msibuild "$out/$name.msi" -i "$stage/Upgrade.idt"
(cd "$stage" && cmake -E tar cf "../$name.zip" --format=zip horalux.exe horalux.htm README.txt)

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
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print tolower($3) }' | sort | xargs)
grep -qE 'lib(stdc\+\+|gcc|winpthread)' <<<"$imports" && fail "horalux.exe needs a runtime DLL: $imports"
table() { msiinfo export "$out/$name.msi" "$1" | tail -n +4 | tr -d '\r'; }
property() { table Property | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }
[ "$(property ProductVersion)" = "$version" ] || fail "the MSI's ProductVersion is $(property ProductVersion)"
[ "$(property UpgradeCode)" = "{8a78c38d-54cd-409a-8854-ba0bc322f4a9}" ] || fail "the upgrade code changed"
[ "$(table File | cut -f 3 | sort | xargs)" = "horalux.exe horalux.exe horalux.htm" ] || fail "MSI files: $(table File | cut -f 3 | xargs)"
table ServiceInstall | grep -qP '^Service\tHoralux\tHoralux GPS clock\t16\t2\t1\t.*NT AUTHORITY\\LocalService\t\t/service\tServiceProgram\t' ||
  fail "the service is not installed as agreed: $(table ServiceInstall)"
[ "$(table FeatureComponents | grep -c ServiceProgram)" = 1 ] && table Feature | grep -qP '^Service\t.*\t1000\t' ||
  fail "the service is no optional feature"
table Shortcut | grep -qP '^Horalux\tProgramMenuFolder\tHoralux\t' || fail "no Start-menu shortcut"
table Upgrade | grep -qP '\t257\t\tOLDERFOUND$' || fail "older versions are not upgraded with their features"
rm -rf "$stage/payload" && msiextract -C "$stage/payload" "$out/$name.msi" >/dev/null
for f in horalux.exe horalux.htm; do
  cmp -s "$stage/$f" "$(find "$stage/payload" -name "$f" | head -n 1)" || fail "the MSI's $f differs from the build's"
done
[ "$(cmake -E tar tf "$out/$name.zip" | sort | xargs)" = "README.txt horalux.exe horalux.htm" ] ||
  fail "zip holds: $(cmake -E tar tf "$out/$name.zip" | xargs)"

printf 'dist: %s\n' "horalux.exe $size bytes" \
  "$name.msi $(stat -c %s "$out/$name.msi") bytes" "$name.zip $(stat -c %s "$out/$name.zip") bytes"
