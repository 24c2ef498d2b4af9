#!/usr/bin/env bash
# The licence-line check on a small copy of the tree (net/, the example, a game file, the
# copyright): it passes as it is, and fails for each fault planted below, naming the file.
set -u
src=$1 work=$(mktemp -d) failures=0
trap 'rm -rf "$work"' EXIT
t=$work/tree
copy() {
    rm -rf "$t" && mkdir -p "$t/tests/net" "$t/debian" "$t/game" && cp -r "$src/net" "$t/"
    cp "$src/tests/net/net_example.cpp" "$t/tests/net/" && cp "$src/debian/copyright" "$t/debian/"
    printf '// A file of the game.\nint x;\n' >"$t/game/x.cpp"
}
expect() { # pass|fail WHAT TEXT-PRINTED [--gpl]
    local got=pass
    bash "$src/scripts/check-licence-lines.sh" ${4:-} "$t" >"$work/out" 2>&1 || got=fail
    [ "$got" = "$1" ] && grep -qF -- "$3" "$work/out" && return
    echo "FAIL: $2: the check says $got, expected $1 saying $3" && cat "$work/out"
    failures=$((failures + 1))
}
copy && expect pass "the tree as it is" "ok"
copy && sed -i '/SPDX-License-Identifier/d' "$t/net/kport.cpp"
expect fail "a library file without its line" "net/kport.cpp: no"
copy && sed -i 's/: MIT/: GPL-3.0-or-later/' "$t/tests/net/net_example.cpp"
expect fail "the example under the GPL" "tests/net/net_example.cpp: a GPL line"
copy && sed -i '\|^ *tests/net/net_example.cpp$|d' "$t/debian/copyright"
expect fail "an MIT file the Expat paragraph leaves out" "tests/net/net_example.cpp: an MIT line"
copy && expect fail "--gpl, a game file without the line" "game/x.cpp: no" --gpl
sed -i '1i // SPDX-License-Identifier: GPL-3.0-or-later' "$t/game/x.cpp"
expect pass "--gpl, every file with its line" "ok" --gpl
exit $failures
