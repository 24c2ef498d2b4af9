#!/usr/bin/env bash
# soak_smoke.sh SOAK MODE: the soak harness's short run in the test command: a few fixed seeds,
# then one fresh random seed, each for SOAK_SECONDS (default 15) seconds. The random seed is
# printed first, so that a failure it finds can be replayed.
set -uo pipefail
soak=$1 mode=$2
seconds=${SOAK_SECONDS:-15}
fresh=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "fresh random seed for this run: $fresh"
status=0
for seed in 1 2 3 "$fresh"; do
    "$soak" "$mode" --seed "$seed" --seconds "$seconds" || status=1
done
exit $status
