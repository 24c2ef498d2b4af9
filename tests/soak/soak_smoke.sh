#!/usr/bin/env bash
# soak_smoke.sh SOAK MODE STEPS: the soak harness's short run in the test command: three fixed
# seeds, STEPS steps each. Counted in steps, not seconds, so that the run is the same however
# busy the machine is; fresh random seeds belong to the long runs (README).
set -uo pipefail
soak=$1 mode=$2 steps=$3
status=0
for seed in 1 2 3; do
    "$soak" "$mode" --seed "$seed" --steps "$steps" || status=1
done
exit $status
