#!/usr/bin/env bash
# play.sh: installs what is missing, builds, and starts the game.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/chess3d"
