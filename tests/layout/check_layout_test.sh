#!/usr/bin/env bash
# The layout check on copies of the tree: as it is (passes), with engine/ including a header of
# ui/ (fails), with chess/ including one of game/ through angle brackets (fails), and with the
# picture missing an arrow the includes have (fails).
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check="$src/scripts/check-layout.sh"
failures=0

copy() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    for d in app netplay ui board game anim chess net engine platform docs; do
        [ -d "$src/$d" ] && cp -r "$src/$d" "$work/tree/$d"
    done
}
expect() { # expect pass|fail WHAT
    local want=$1 what=$2 got=pass
    bash "$check" "$work/tree" >"$work/out" 2>&1 || got=fail
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: the check says $got, expected $want"
        cat "$work/out"
        failures=$((failures + 1))
    fi
}

copy
expect pass "the tree as it is"
copy
printf '#include "ui/interface.h"\n' >>"$work/tree/engine/mesh.cpp"
expect fail "engine/ including ui/"
copy
printf '#include <game/recorded_move.h>\n' >>"$work/tree/chess/fen.h"
expect fail "chess/ including game/ with angle brackets"
copy
sed -i "/\"app\" -> \"ui\"/d" "$work/tree/docs/architecture.dot"
expect fail "a picture without the arrow app -> ui"
[ $failures -eq 0 ] && echo "the layout check catches what it should"
exit $failures
