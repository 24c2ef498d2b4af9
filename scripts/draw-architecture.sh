#!/usr/bin/env bash
# draw-architecture.sh: redraws docs/architecture.svg and .png from the real includes: one box
# per source folder, an arrow A -> B when a file of A includes a header of B (both ways when
# each includes the other). Arrows into app/ that only reach the shared state (app/globals.h,
# the long-lived objects, app/app_state.h, and app/may_act.h, the rules over them) are dashed.
# The Graphviz text goes to docs/architecture.dot, which the layout test compares with what
# this script draws from the tree, so the picture cannot drift from the code unnoticed. Needs
# Graphviz (dot).
#
#   scripts/draw-architecture.sh              redraw the three files
#   scripts/draw-architecture.sh --dot ROOT   print the Graphviz text of the tree at ROOT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = "--dot" ] && root=${2:-$root}
cd "$root"

# Folders from the top of the build to its bottom; the last four are the lower layers, which
# include nothing of the game above them.
FOLDERS=(app netplay ui board game anim chess net engine platform)
LOWER=" chess net engine platform "
SHARED_STATE=" globals.h app_state.h may_act.h "

# "FROM TO HEADER" for every include of another folder's header.
includes() {
    for from in "${FOLDERS[@]}"; do
        [ -d "$from" ] || continue
        grep -rhoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][a-z]+/[A-Za-z0-9_.]+' \
            "$from" --include='*.cpp' --include='*.h' |
            sed -E 's/.*["<]([a-z]+)\/(.*)$/\1 \2/' | sort -u |
            while read -r to header; do
                if [ "$to" != "$from" ] && [[ " ${FOLDERS[*]} " == *" $to "* ]]; then
                    echo "$from $to $header"
                fi
            done
    done
}

dot_text() {
    local all edges
    all=$(includes)
    edges=$(echo "$all" | awk '{print $1, $2}' | sort -u)
    echo "// Drawn by scripts/draw-architecture.sh from the includes; do not edit by hand."
    echo "digraph chess3d {"
    echo "  rankdir=TB; nodesep=0.4; ranksep=0.5;"
    echo "  node [shape=box, style=\"rounded,filled\", fontname=\"DejaVu Sans\", fontsize=11];"
    echo "  edge [color=\"#555555\", arrowsize=0.7];"
    for f in "${FOLDERS[@]}"; do
        [ -d "$f" ] || continue
        if [[ "$LOWER" == *" $f "* ]]; then colour="#dde8f5"; else colour="#f5ead7"; fi
        echo "  \"$f\" [fillcolor=\"$colour\"];"
    done
    echo "  { rank=same; \"chess\"; \"net\"; \"engine\"; }"
    echo "  { rank=sink; \"platform\"; }"
    echo "$edges" | while read -r from to; do
        [ -n "$from" ] || continue
        local back=no state=no
        if [ "$to" = app ] || [ "$from" = app ]; then
            # Into app/ only for the shared state: its own dashed arrow, never merged.
            local into=$from
            [ "$from" = app ] && into=$to
            state=yes
            for h in $(echo "$all" | awk -v a="$into" '$1 == a && $2 == "app" {print $3}'); do
                [[ "$SHARED_STATE" == *" $h "* ]] || state=no
            done
            grep -qx "$into app" <<<"$edges" || state=no
            [ "$to" = app ] || [ $state = no ] || state=solo # app -> X beside a dashed X -> app
        fi
        if [ $state = no ] && grep -qx "$to $from" <<<"$edges"; then
            back=yes
            # Drawn once: a pair from its first folder in FOLDERS order.
            for f in "${FOLDERS[@]}"; do
                [ "$f" = "$from" ] && break
                [ "$f" = "$to" ] && continue 2
            done
        fi
        if [ $back = yes ]; then
            echo "  \"$from\" -> \"$to\" [dir=both];"
        elif [ $state = yes ] && [ "$to" = app ]; then
            echo "  \"$from\" -> \"$to\" [style=dashed, color=\"#999999\"];"
        else
            echo "  \"$from\" -> \"$to\";"
        fi
    done
    echo "}"
}

if [ "${1:-}" = "--dot" ]; then
    dot_text
    exit 0
fi

dot_text >docs/architecture.dot
dot -Tsvg docs/architecture.dot -o docs/architecture.svg
dot -Tpng -Gdpi=80 docs/architecture.dot -o docs/architecture.png
echo "docs/architecture.dot, .svg and .png redrawn"
