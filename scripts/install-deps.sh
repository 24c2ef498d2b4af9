#!/usr/bin/env bash
# Installs the Debian packages that building and testing chess3d need.
# Idempotent: packages already present are skipped, so a second run costs a second.
set -euo pipefail

PACKAGES=(
    cmake g++ make pkg-config
    libsdl2-dev libepoxy-dev libglm-dev libstb-dev libtinygltf-dev nlohmann-json3-dev
    fonts-dejavu-core libgtest-dev libgmock-dev libbenchmark-dev
    libgl1-mesa-dri libegl-mesa0 libegl1 libgles2
    xvfb xauth xdotool imagemagick x11-apps x11-utils
    pgn-extract desktop-file-utils stockfish
    clang-14 libclang-rt-14-dev graphviz
    libminiupnpc-dev libnatpmp-dev iproute2 python3
    debhelper dpkg-dev fakeroot lintian appstream man-db
)

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
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
