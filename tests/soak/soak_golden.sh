#!/usr/bin/env bash
# soak_golden.sh SOAK MODE: runs every seed of MODE in golden_traces.txt with SOAK_TRACE_HASH=1
# and compares each game's trace hash with the one recorded; fails on any difference, naming the
# seed, the hashes and how to find the first step that differs.
# soak_golden.sh SOAK MODE --record: runs them and writes the hashes found into the file instead
# (only for a change meant to alter the game's behaviour, never to make a restructuring pass).
set -uo pipefail
soak=$1 mode=$2 record=${3:-}
file="$(dirname "$0")/golden_traces.txt"
export SDL_VIDEODRIVER=offscreen
status=0 runs=0 hashes=0
new=$(mktemp)
trap 'rm -f "$new"' EXIT
while IFS= read -r line; do
    read -r m seed steps idle expected <<<"$line"
    if [ "${line:0:1}" = "#" ] || [ "$m" != "$mode" ]; then
        echo "$line" >>"$new"
        continue
    fi
    output=$(SOAK_TRACE_HASH=1 "$soak" "$mode" --seed "$seed" --steps "$steps" \
        --idle-passes "$idle")
    code=$?
    # "trace L h", "trace X h" or "trace H h J h" becomes "L=h", "X=h" or "H=h J=h".
    found=$(sed -nE 's/^trace (.*)$/\1/p' <<<"$output" | sed -E 's/([A-Z]) ([0-9a-f]+)/\1=\2/g')
    runs=$((runs + 1))
    if [ $code -ne 0 ] || [ -z "$found" ]; then
        echo "golden $mode seed $seed: the run failed (exit $code)"
        echo "$output" | tail -n 60
        status=1
    elif [ -n "$record" ]; then
        printf '%-10s %-6s %-7s %-4s %s\n' "$mode" "$seed" "$steps" "$idle" "$found" >>"$new"
        continue
    elif [ "$found" != "$expected" ]; then
        echo "golden $mode seed $seed ($steps steps): expected $expected, found $found"
        echo "  first differing step: tests/soak/soak_trace_diff.sh GOLDEN_SOAK $soak" \
            "$mode $seed $steps $idle"
        status=1
    else
        hashes=$((hashes + $(wc -w <<<"$found")))
    fi
    echo "$line" >>"$new"
done <"$file"
if [ -n "$record" ]; then
    [ $status -eq 0 ] && cp "$new" "$file"
    echo "golden $mode: $runs runs recorded (status $status)"
else
    echo "golden $mode: $runs runs, $hashes hashes the same (status $status)"
fi
exit $status
