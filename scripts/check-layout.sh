#!/usr/bin/env bash
# check-layout.sh [ROOT]: the layout the build relies on.
#  1. The folders stand in an order, from the bottom: the libraries (platform/, net/, chess/),
#     engine/, game/, anim/, board/, ui/, netplay/, app/. A file includes headers of its own
#     folder and of the folders below it only, so no circle between folders can form; the
#     libraries include none of each other, and nothing of the game.
#     While the game's middle is being brought into that order, the upward includes it still
#     has are listed in scripts/layout-pending.txt ("FILE HEADER" a line): a listed one is
#     allowed, any other fails, and a listed one the tree no longer has fails too, so that the
#     list only shrinks with the code.
#  2. There is no header of all the process-wide pointers (app/globals.h): each is declared by
#     the folder that owns its object, so that using it is an include the order above checks.
#  3. docs/architecture.dot is what scripts/draw-architecture.sh draws from the includes now
#     (redraw it when they change).
# Prints every offending line; exits 1 when a rule is broken.
# check-layout.sh --upward [ROOT]: prints the tree's upward includes in the list's format.
set -uo pipefail
upward_only=no
if [ "${1:-}" = "--upward" ]; then
    upward_only=yes
    shift
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
status=0

declare -A RANK=([platform]=0 [net]=0 [chess]=0 [engine]=1 [game]=2 [anim]=3 [board]=4 [ui]=5
    [netplay]=6 [app]=7)

# "FILE HEADER" for every include of another ranked folder's header at the same rank or above.
upward() {
    local from
    for from in "${!RANK[@]}"; do
        [ -d "$root/$from" ] || continue
        (cd "$root" && grep -rnoE \
            '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][a-z]+/[A-Za-z0-9_./]+' "$from" \
            --include='*.cpp' --include='*.h' --include='*.hpp' --include='*.inl') |
            sed -E 's/^([^:]+):[0-9]+:.*["<]([a-z]+\/[A-Za-z0-9_./]+)$/\1 \2/' |
            while read -r file header; do
                local to=${header%%/*}
                [ "$to" != "$from" ] && [ -n "${RANK[$to]:-}" ] || continue
                [ "${RANK[$to]}" -ge "${RANK[$from]}" ] && echo "$file $header"
            done
    done | sort -u
}

found=$(upward)
if [ $upward_only = yes ]; then
    [ -n "$found" ] && echo "$found"
    exit 0
fi

pending=$root/scripts/layout-pending.txt
listed=""
[ -f "$pending" ] && listed=$(grep -vE '^(#|[[:space:]]*$)' "$pending" | sort -u)
unlisted=$(comm -23 <(echo "$found" | sed '/^$/d') <(echo "$listed" | sed '/^$/d'))
gone=$(comm -13 <(echo "$found" | sed '/^$/d') <(echo "$listed" | sed '/^$/d'))
if [ -n "$unlisted" ]; then
    echo "$unlisted"
    echo "FAIL: the includes above run up the folders' order (or between the libraries)"
    status=1
fi
if [ -n "$gone" ]; then
    echo "$gone"
    echo "FAIL: scripts/layout-pending.txt lists the includes above, which the tree no longer" \
        "has; take them off the list"
    status=1
fi

if [ -e "$root/app/globals.h" ]; then
    echo "FAIL: app/globals.h is back; declare each pointer in its owner's header"
    status=1
fi

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
