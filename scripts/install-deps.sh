#!/usr/bin/env bash
# install-deps.sh play|test: installs the Debian packages chess3d needs, with sudo unless root.
#   play  building the game and playing it (scripts/play.sh)
#   test  the same, and the test toolchain: GoogleTest and Benchmark, Xvfb and the tools that
#         drive and photograph the game, clang for the fuzzing harnesses, Graphviz, Stockfish
#         and pgn-extract that tests play against and compare with, the network tools of the
#         end-to-end tests, and the Debian packaging tools with lintian (scripts/test.sh,
#         scripts/package.sh, scripts/fuzz.sh)
# Idempotent: packages already present are skipped, so a second run costs a second.
set -euo pipefail

PLAY=(
    cmake g++ make pkg-config
    libsdl2-dev libepoxy-dev libglm-dev libstb-dev libtinygltf-dev nlohmann-json3-dev
    libminiupnpc-dev libnatpmp-dev fonts-dejavu-core
    libgl1-mesa-dri libegl-mesa0 libegl1 libgles2
)
TEST=(
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick x11-apps x11-utils
    pgn-extract stockfish clang-14 libclang-rt-14-dev graphviz iproute2 python3
    debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils man-db
)

case "${1:-}" in
play) PACKAGES=("${PLAY[@]}") ;;
test) PACKAGES=("${PLAY[@]}" "${TEST[@]}") ;;
*)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps.sh: these packages are missing: ${missing[*]}" >&2
        echo "install-deps.sh: install them as root (apt-get install ...), or install sudo" >&2
        exit 1
    fi
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
