#!/usr/bin/env bash
# soak_smoke.sh SOAK MODE STEPS: the soak harness's short run in the test command: three fixed
# seeds, then one fresh random seed, STEPS steps each. Counted in steps, not seconds, so that a
# run is the same however busy the machine is. The random seed is printed first, so that a
# failure it finds can be replayed: chess3d-soak MODE --seed N --steps STEPS.
# soak_smoke.sh SOAK MODE --replayed: the seeds of replayed_seeds.txt of that mode instead, each
# for as many steps as it took to find its fault (a test of their own, beside the short run).
set -uo pipefail
soak=$1 mode=$2 steps=$3
status=0
if [ "$steps" = "--replayed" ]; then
    while read -r m seed count what; do
        # As the seed was found: with the rest's idle passes only when its line says "idle:".
        idle=0
        [ "${what#idle:}" != "$what" ] && idle=1
        [ "$m" = "$mode" ] &&
            { "$soak" "$mode" --seed "$seed" --steps "$count" --idle-passes $idle || status=1; }
    done < <(grep -E '^[a-z]+ +[0-9]+ +[0-9]+' "$(dirname "$0")/replayed_seeds.txt")
    exit $status
fi
fresh=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "fresh random seed for this run: $fresh"
for seed in 1 2 3 "$fresh"; do
    "$soak" "$mode" --seed "$seed" --steps "$steps" || status=1
done
exit $status
