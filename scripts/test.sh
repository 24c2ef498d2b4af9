#!/usr/bin/env bash
# test.sh: installs what is missing, builds, runs every test, then runs the unit and
# integration tests again in an AddressSanitizer + UndefinedBehaviorSanitizer build, and last
# gives each libFuzzer harness of tests/fuzz a few seconds (a smoke run).
# Starts its own Xvfb when no display is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
            xvfb_pid=$!
            export DISPLAY=":$n"
            break
        fi
    done
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
fi
# Tests never need a sound card; a dummy device keeps the audio path exercised.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

jobs=$(nproc)
status=0

echo "== Release build"
"$root/scripts/build.sh" "$root/build" -DCHESS3D_BUILD_TESTS=ON
echo "== Tests (Release)"
(cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 600) || status=1

echo "== Sanitizer build (ASan + UBSan)"
"$root/scripts/build.sh" "$root/build-asan" -DCHESS3D_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Unit and integration tests (sanitizers)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$root/build-asan" && ctest --output-on-failure -j"$jobs" --timeout 900 -LE 'e2e|slow') || status=1

echo "== Fuzzing harnesses (clang, a few seconds each; scripts/fuzz.sh runs them long)"
"$root/scripts/build-fuzz.sh" "$root/build-fuzz" "$root/build/bin"
(cd "$root/build-fuzz" && ctest --output-on-failure -L fuzz --timeout 600) || status=1

exit $status
