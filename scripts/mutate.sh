#!/usr/bin/env bash
# Applies the slips of tests/mutations.txt to the core one at a time, rebuilds
# the native tree without sanitizers and runs its tests: each slip is killed
# (a test fails) or survived (none noticed). The source is always restored.
#   scripts/mutate.sh [list] [name-part]   # name-part: only matching slips
set -u
cd "$(dirname "$0")/.."
list=${1:-tests/mutations.txt} only=${2:-}
build=build/mutate
backup=$(mktemp) target=
killed=0 survived=0 stale=0 invalid=0 survivors=()

# Written back, not copied with its old time stamp: the next build must see
# the file changed, or the mutated object would stay in the tree.
restore() { [ -z "$target" ] || cat "$backup" >"$target"; target=; }
trap 'restore; rm -f "$backup"' EXIT
trap 'exit 130' INT TERM HUP

compile() { cmake --build "$build" -j "${JOBS:-2}" >"$build/mutate-build.log" 2>&1 </dev/null; }
check() { ctest --test-dir "$build" -L native --timeout 10 --stop-on-failure --no-tests=error >/dev/null 2>&1 </dev/null; }

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DHORALUX_SANITIZE=none >/dev/null || exit 1
compile && check || { echo "the unchanged tree fails to build or to pass (see $build)" >&2; exit 1; }

slip() {  # name file original mutated
    [[ $1 == *"$only"* ]] || return 0
    local text rest
    text=$(<"$2") && [ -n "$3" ] && rest=${text//"$3"/} && [ $((${#text} - ${#rest})) = ${#3} ] ||
        { echo "stale    $1"; stale=$((stale + 1)); return; }
    cp "$2" "$backup" || exit 1
    target=$2
    printf '%s\n' "${text/"$3"/"$4"}" >"$2"
    if ! compile; then echo "invalid  $1 (see $build/mutate-build.log)"; invalid=$((invalid + 1))
    elif check; then echo "survived $1"; survivors+=("$1"); survived=$((survived + 1))
    else echo "killed   $1"; killed=$((killed + 1)); fi
    restore
}

while IFS= read -r line <&3; do
    case $line in
    '#'* | '') ;;
    '- '*) original=${line#- } ;;
    '+'*) mutated=${line#+}; slip "$name" "$file" "$original" "${mutated# }" ;;
    *) read -r name file <<<"$line" ;;
    esac
done 3<"$list"

applicable=$((killed + survived))
echo "score: $killed of $applicable killed ($((applicable ? 100 * killed / applicable : 0))%)," \
    "$stale stale, $invalid invalid, $((SECONDS / 60)) min"
for s in "${survivors[@]}"; do echo "survivor: $s"; done
