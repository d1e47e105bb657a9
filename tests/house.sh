#!/usr/bin/env bash
# The house's rooms from the bottom up: a room may include and link only
# rooms below it (or itself). Prints each import that runs back up.
set -u
cd "$(dirname "$0")/.."
rooms=(res files window clocklink sync layout about timeprov service history ui app)
rank() { local i; for i in "${!rooms[@]}"; do [ "${rooms[i]}" = "$1" ] && echo "$i" && return; done; echo -1; }
bad=0
for room in "${rooms[@]}"; do
  # Includes, the resource scripts' relative ones too.
  while IFS=: read -r file line target; do
    [ "$(rank "$target")" -gt "$(rank "$room")" ] && echo "$file:$line: $room includes $target" && bad=1
  done < <(grep -nE '^#include "(\.\./)?[a-z]+/' "$room"/* 2>/dev/null | sed -E 's|^([^:]+):([0-9]+):#include "(\.\./)?([a-z]+)/.*|\1:\2:\4|')
  # Link lines, by the room that defines each library.
  for lib in $(sed -n 's/.*target_link_libraries([^ ]* *\(PUBLIC\|PRIVATE\)\? *\([^)]*\)).*/\2/p' "$room/CMakeLists.txt"); do
    owner=$(grep -l "add_library($lib " "${rooms[@]/%//CMakeLists.txt}" 2>/dev/null | head -n 1)
    [ -n "$owner" ] && [ "$(rank "${owner%%/*}")" -gt "$(rank "$room")" ] && echo "$room/CMakeLists.txt: $room links $lib" && bad=1
  done
done
exit $bad
