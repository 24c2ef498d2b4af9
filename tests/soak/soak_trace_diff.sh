#!/usr/bin/env bash
# soak_trace_diff.sh OLD_SOAK NEW_SOAK MODE SEED STEPS [IDLE]: traces one seed with two builds of
# chess3d-soak (each run from its own bin folder, with its own data) and prints, for each game
# (role letter L, H, J or X), the first pair of trace lines that differ and the five lines
# before them.
set -uo pipefail
old=$1 new=$2 mode=$3 seed=$4 steps=$5 idle=${6:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
for side in old new; do
    soak=${!side}
    (cd "$(dirname "$soak")" && SOAK_TRACE=1 "./$(basename "$soak")" "$mode" --seed "$seed" \
        --steps "$steps" --idle-passes "$idle") >"$work/$side" 2>&1
done
same=1
for role in L H J X; do
    grep "^$role [0-9]" "$work/old" >"$work/old.$role"
    grep "^$role [0-9]" "$work/new" >"$work/new.$role"
    [ -s "$work/old.$role" ] || [ -s "$work/new.$role" ] || continue
    at=$(cmp "$work/old.$role" "$work/new.$role" 2>/dev/null | sed -nE 's/.* line ([0-9]+).*/\1/p')
    if [ -z "$at" ] && cmp -s "$work/old.$role" "$work/new.$role"; then
        echo "$role: $(wc -l <"$work/old.$role") lines, the same"
        continue
    fi
    same=0
    [ -n "$at" ] || at=$(($(wc -l <"$work/old.$role") + 1))
    echo "$role: first difference at line $at"
    sed -n "$((at > 5 ? at - 5 : 1)),$((at - 1))p" "$work/old.$role" | cut -c1-200 | sed 's/^/   /'
    echo "old: $(sed -n "${at}p" "$work/old.$role")"
    echo "new: $(sed -n "${at}p" "$work/new.$role")"
done
[ $same -eq 1 ]
