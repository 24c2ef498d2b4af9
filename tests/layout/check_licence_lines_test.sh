#!/usr/bin/env bash
# The licence-line check on a small copy of the tree (the network library, its example, a file of
# the game, debian/copyright): passes as it is; fails for a library file without its MIT line,
# for the example under a GPL line, for an MIT file the copyright's Expat paragraph leaves out;
# with --gpl, fails for a game file without the GPL line and passes once it has one.
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check="$src/scripts/check-licence-lines.sh"
failures=0
copy() {
    rm -rf "$work/tree" && mkdir -p "$work/tree/tests/net" "$work/tree/debian" "$work/tree/game"
    cp -r "$src/net" "$work/tree/" && cp "$src/tests/net/net_example.cpp" "$work/tree/tests/net/"
    cp "$src/debian/copyright" "$work/tree/debian/"
    printf '// A file of the game.\nint x;\n' >"$work/tree/game/x.cpp"
}
expect() { # expect pass|fail WHAT [TEXT the check must print] [--gpl]
    local want=$1 what=$2 text=${3:-} got=pass
    bash "$check" ${4:-} "$work/tree" >"$work/out" 2>&1 || got=fail
    if [ "$got" != "$want" ] || ! grep -qF -- "$text" "$work/out"; then
        echo "FAIL: $what: the check says $got, expected $want${text:+ saying $text}"
        cat "$work/out"
        failures=$((failures + 1))
    fi
}
copy && expect pass "the tree as it is"
copy && sed -i '/SPDX-License-Identifier/d' "$work/tree/net/kport.cpp"
expect fail "a library file without its line" "net/kport.cpp: no"
copy && sed -i 's/SPDX-License-Identifier: MIT/SPDX-License-Identifier: GPL-3.0-or-later/' \
    "$work/tree/tests/net/net_example.cpp"
expect fail "the example under the GPL" "tests/net/net_example.cpp"
copy && sed -i '\|^ *tests/net/net_example.cpp$|d' "$work/tree/debian/copyright"
expect fail "an MIT file left out of the Expat paragraph" "tests/net/net_example.cpp: an MIT line"
copy && expect fail "--gpl, a game file without the line" "game/x.cpp: no" --gpl
sed -i '1i // SPDX-License-Identifier: GPL-3.0-or-later' "$work/tree/game/x.cpp"
expect pass "--gpl, every file with its line" "" --gpl
[ $failures -eq 0 ] && echo "the licence-line check catches what it should"
exit $failures
