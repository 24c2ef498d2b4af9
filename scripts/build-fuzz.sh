#!/usr/bin/env bash
# build-fuzz.sh BUILD-DIR DATA-DIR: configures and builds the libFuzzer harnesses (tests/fuzz)
# with clang-14; DATA-DIR is the bin folder of a normal build, whose data the harness that
# builds the whole game reads.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1 data=$2
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$dir" -DCHESS3D_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHESS3D_DATA_DIR="$data" >/dev/null
cmake --build "$dir" -j"$(nproc)"
