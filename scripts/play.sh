#!/usr/bin/env bash
# play.sh [--as-root] [chess3d options...]: installs what building and playing need (with sudo),
# builds the game into build/ and starts it; options go to the game (a .pgn or .chs file to open,
# --level, --engine...; see chess3d --help).
#
# Not as root: the game would keep its saved games and settings in root's own folder, and
# build/ would belong to root, so that the player's next build could not write there.
# --as-root starts it all the same (a machine where root is the only user).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--as-root" ]; then
    shift
elif [ "$(id -u)" -eq 0 ]; then
    echo "play.sh: not as root: the saved games, the settings and build/ would belong to root." >&2
    echo "play.sh: run it as yourself (it asks sudo for the packages), or add --as-root." >&2
    exit 1
fi
"$root/scripts/install-deps.sh" play
# The tests and benchmarks are not built (their packages come with scripts/test.sh), unless
# build/ already builds them: playing keeps what the tests built.
tests=OFF
grep -qx 'CHESS3D_BUILD_TESTS:BOOL=ON' "$root/build/CMakeCache.txt" 2>/dev/null && tests=ON
"$root/scripts/build.sh" "$root/build" -DCHESS3D_BUILD_TESTS=$tests
exec "$root/build/bin/chess3d" "$@"
