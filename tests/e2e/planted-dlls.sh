#!/usr/bin/env bash
# A standard user who can write beside the program must not get code into it.
# It imports only DLLs that the system always takes from its own folder (the
# KnownDLLs) and comctl32, which the manifest binds to the system's assembly.
# Copies of WINMM.dll and MAPI32.DLL planted beside it stay unloaded while it
# starts and shows its About box, although Wine is told to prefer them.
# (VERSION.dll cannot be planted here: Wine's own user32 imports it, and Wine
# has no KnownDLLs, so a copy beside any program loads with user32.)
export WINEDLLOVERRIDES="winmm,mapi32=n,b;mscoree,mshtml="
. "$(dirname "$0")/lib.sh"
e2e_setup
imports=$("${HORALUX_OBJDUMP:?}" -p "$HORALUX_EXE" | awk '/DLL Name:/ { print tolower($3) }' | sort | xargs)
expect_eq "$imports" "advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll" \
  "imported DLLs"

ABOUT="horalux.exe"
folder="$artifacts/program"
mkdir -p "$folder"
cp "$HORALUX_EXE" "$folder/horalux.exe"
for name in winmm mapi32; do cp "${HORALUX_PLANTED_DLL:?}" "$folder/$name.dll"; done
HORALUX_EXE="$folder/horalux.exe"

start_app
wait_visibility visible
act syscommand "$TITLE" about
drv wait "$ABOUT" $((WAIT_S * 1000)) >/dev/null || fail "no About box"
act click "$ABOUT" 1
drv wait-gone "$ABOUT" $((WAIT_S * 1000)) >/dev/null || fail "Ok did not close the About box"
exit_app
loaded=$(cd "$folder" && ls -- *.loaded 2>/dev/null)
[ -z "$loaded" ] || fail "planted DLLs were loaded: $loaded"
e2e_pass
