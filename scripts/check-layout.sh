#!/usr/bin/env bash
# check-layout.sh [ROOT]: the layout the build relies on.
#  1. No file under platform/, net/, engine/ or chess/ includes anything from app/, board/,
#     anim/, ui/, game/ or netplay/: the lower folders build and test without the game.
#  2. docs/architecture.dot is what scripts/draw-architecture.sh draws from the includes now
#     (redraw it when they change).
# Prints every offending line; exits 1 when either rule is broken.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
status=0

lower=(platform net engine chess)
upper="app|board|anim|ui|game|netplay"
for dir in "${lower[@]}"; do
    [ -d "$root/$dir" ] || continue
    if grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($upper)/" "$root/$dir" \
        --include='*.cpp' --include='*.h' --include='*.hpp' --include='*.inl'; then
        echo "FAIL: $dir/ includes the game above it (the lines above)"
        status=1
    fi
done

dotfile=$root/docs/architecture.dot
if [ -f "$dotfile" ]; then
    if ! diff "$dotfile" <("$(dirname "$0")/draw-architecture.sh" --dot "$root") >/tmp/layout-$$.diff; then
        echo "FAIL: docs/architecture.dot does not match the includes; redraw it with" \
            "scripts/draw-architecture.sh (< drawn, > the tree now):"
        cat /tmp/layout-$$.diff
        status=1
    fi
    rm -f /tmp/layout-$$.diff
fi
[ $status -eq 0 ] && echo "layout ok"
exit $status
