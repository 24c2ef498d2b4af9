#!/usr/bin/env bash
# The layout check on copies of the tree: as it is (passes), with engine/ including a header of
# ui/ (fails), with chess/ including one of game/ through angle brackets (fails), with anim/
# including one of ui/ not on the pending list (fails), with the list naming an include the tree
# no longer has (fails), with app/globals.h back (fails), and with the picture missing an arrow
# the includes have (fails).
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
    mkdir -p "$work/tree/scripts"
    cp "$src/scripts/layout-pending.txt" "$work/tree/scripts/" 2>/dev/null
}
expect() { # expect pass|fail WHAT [TEXT the check must print]
    local want=$1 what=$2 text=${3:-} got=pass
    bash "$check" "$work/tree" >"$work/out" 2>&1 || got=fail
    if [ "$got" != "$want" ] || ! grep -qF -- "$text" "$work/out"; then
        echo "FAIL: $what: the check says $got, expected $want${text:+ saying $text}"
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
printf '#include "ui/interface.h"\n' >>"$work/tree/anim/water.cpp"
expect fail "anim/ including ui/, not listed" "anim/water.cpp ui/interface.h"
listed=$(grep -m1 -vE '^(#|[[:space:]]*$)' "$src/scripts/layout-pending.txt" 2>/dev/null)
if [ -n "$listed" ]; then
    copy
    read -r file header <<<"$listed"
    sed -i "\\|#include \"$header\"|d" "$work/tree/$file"
    expect fail "a listed include taken out of $file" "no longer"
fi
copy
printf '#pragma once\n' >"$work/tree/app/globals.h"
expect fail "a header of all the pointers back" "app/globals.h"
copy
sed -i "/\"app\" -> \"ui\"/d" "$work/tree/docs/architecture.dot"
expect fail "a picture without the arrow app -> ui"
[ $failures -eq 0 ] && echo "the layout check catches what it should"
exit $failures
