#!/usr/bin/env bash
# draw-architecture.sh: redraws docs/architecture.svg and .png from the real includes: one box
# per source folder, stacked in the folders' order (scripts/check-layout.sh), an arrow A -> B
# when a file of A includes a header of B. An arrow that runs up the order (an include still
# waiting in scripts/layout-pending.txt) is drawn red with its number of include lines.
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
FOLDERS=(app netplay ui board anim game engine chess net platform)
LOWER=" chess net engine platform "
declare -A RANK=([platform]=0 [net]=0 [chess]=0 [engine]=1 [game]=2 [anim]=3 [board]=4 [ui]=5
    [netplay]=6 [app]=7)

# "FROM TO" for every include line of another folder's header.
includes() {
    for from in "${FOLDERS[@]}"; do
        [ -d "$from" ] || continue
        grep -rhoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][a-z]+/[A-Za-z0-9_.]+' \
            "$from" --include='*.cpp' --include='*.h' |
            sed -E 's/.*["<]([a-z]+)\/(.*)$/\1/' |
            while read -r to; do
                if [ "$to" != "$from" ] && [[ " ${FOLDERS[*]} " == *" $to "* ]]; then
                    echo "$from $to"
                fi
            done
    done
}

dot_text() {
    local edges
    edges=$(includes | sort | uniq -c)
    echo "// Drawn by scripts/draw-architecture.sh from the includes; do not edit by hand."
    echo "digraph chess3d {"
    echo "  rankdir=TB; nodesep=0.4; ranksep=0.5;"
    echo "  node [shape=box, style=\"rounded,filled\", fontname=\"DejaVu Sans\", fontsize=11];"
    echo "  edge [color=\"#555555\", arrowsize=0.7, fontname=\"DejaVu Sans\", fontsize=9];"
    for f in "${FOLDERS[@]}"; do
        [ -d "$f" ] || continue
        if [[ "$LOWER" == *" $f "* ]]; then colour="#dde8f5"; else colour="#f5ead7"; fi
        echo "  \"$f\" [fillcolor=\"$colour\"];"
    done
    echo "  { rank=same; \"chess\"; \"net\"; }"
    echo "  { rank=sink; \"platform\"; }"
    echo "$edges" | while read -r count from to; do
        [ -n "$from" ] || continue
        if [ "${RANK[$to]}" -ge "${RANK[$from]}" ]; then
            echo "  \"$from\" -> \"$to\" [color=\"#cc2222\", fontcolor=\"#cc2222\", label=\"$count\"];"
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
