#!/usr/bin/env bash
# fuzz.sh: builds the libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs them one after the other for a long time, at the lowest
# priority so that the machine stays usable.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]   each harness for SECONDS (default 3600)
#   FUZZ_RUNS=N scripts/fuzz.sh 0 HARNESS    each harness for N inputs instead
#   FUZZ_JOBS=J ...                          J processes per harness side by side, sharing its
#                                            corpus (each runs N/J inputs, or SECONDS)
#
# Harnesses: fuzz_saved_game fuzz_pgn fuzz_fen fuzz_router fuzz_model fuzz_picture fuzz_sound
# fuzz_receive (all by default). The corpus each run grows is kept in build-fuzz/corpus/HARNESS (started from
# the seeds in tests/fuzz/corpus/HARNESS); a crash, a hang or a leak of memory stops the run and
# its input is written to build-fuzz/findings/HARNESS/. The line "inputs tried" of each run is
# the count libFuzzer reports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-3600}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] ||
    harnesses=(fuzz_saved_game fuzz_pgn fuzz_fen fuzz_router fuzz_model fuzz_picture fuzz_sound
        fuzz_receive)

"$root/scripts/install-deps.sh" test
"$root/scripts/build.sh" "$root/build" # the game's data, for the harness that builds the game
"$root/scripts/build-fuzz.sh" "$root/build-fuzz" "$root/build/bin"

# The lowest priority. The kernel groups processes by session (autogroup) and shares the
# processor between the groups first, so `nice` alone only yields to programs of the same
# terminal: each harness runs in a session of its own whose group is set to the lowest priority.
lowest=(nice -n 19)
command -v setsid >/dev/null &&
    lowest=(setsid sh -c 'echo 19 >/proc/self/autogroup 2>/dev/null; exec nice -n 19 "$@"' sh)
# Stopped (Ctrl-C), the script takes its harnesses with it: in their own sessions the
# terminal's signal no longer reaches them, and libFuzzer goes on after a SIGTERM. What they
# found is on disk already (corpus, findings), so they are killed outright.
pids=()
trap 'kill -KILL "${pids[@]}" 2>/dev/null; exit 130' INT TERM

jobs=${FUZZ_JOBS:-1}
limit=(-max_total_time="$seconds")
[ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$(((FUZZ_RUNS + jobs - 1) / jobs))")
status=0
for h in "${harnesses[@]}"; do
    corpus=$root/build-fuzz/corpus/$h findings=$root/build-fuzz/findings/$h
    mkdir -p "$corpus" "$findings"
    echo "== $h (${FUZZ_RUNS:-$seconds s}${FUZZ_RUNS:+ inputs}, $jobs process(es))"
    # Each process reads the corpus the others grow (libFuzzer reloads it now and then).
    pids=() logs=()
    for j in $(seq 1 "$jobs"); do
        log=$findings/last-run.log
        [ "$jobs" -gt 1 ] && log=$findings/last-run-$j.log
        (cd "$root/build/bin" &&
            CHESS3D_DATA_DIR="$root/build/bin" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
            ASAN_OPTIONS=detect_leaks=0 exec "${lowest[@]}" "$root/build-fuzz/bin/$h" "${limit[@]}" \
                -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
                "$corpus" "$root/tests/fuzz/corpus/$h") >"$log" 2>&1 &
        pids+=($!) logs+=("$log")
    done
    for pid in "${pids[@]}"; do wait "$pid" || status=1; done
    pids=()
    total=0
    for log in "${logs[@]}"; do
        tried=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        echo "   inputs tried: ${tried:-?}   log: $log"
        total=$((total + ${tried:-0}))
        grep -E "^(SUMMARY|==[0-9]+== ?ERROR)" "$log" | head -3 || true
    done
    [ "$jobs" -gt 1 ] && echo "   inputs tried in all: $total"
    echo "   corpus: $(ls "$corpus" | wc -l) files"
done
exit $status
