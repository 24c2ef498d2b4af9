#!/usr/bin/env bash
# package.sh [OUT]: builds chess3d's Debian packages (chess3d, chess3d-data, libkivnetwork0,
# libkivnetwork-dev) with dpkg-buildpackage from a clean copy of the committed tree (HEAD), then
# checks them with lintian (any error fails). The packages and the build's .changes land in OUT
# (default build-deb/); OUT/chess3d-VERSION/ is the copy they were built in.
# Then, as root: apt-get install ./build-deb/*.deb, and apt-get purge chess3d chess3d-data
# libkivnetwork0 libkivnetwork-dev to remove them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-deb}" && cd "${1:-$root/build-deb}" && pwd)
"$root/scripts/install-deps.sh" test

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
src=$out/chess3d-$version
rm -rf "$src" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mkdir -p "$src"
git -C "$root" archive HEAD | tar -x -C "$src"
echo "== Building the packages of $(git -C "$root" rev-parse --short HEAD) in $src"

# A build with ccache keeps its cache where the developer's is, although debhelper gives the
# build a home of its own; the copy's fixed path lets a second package build reuse it.
if [ -n "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
fi
export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
(cd "$src" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 ||
    { tail -40 "$out/build.log"; echo "FAIL: dpkg-buildpackage (the whole log: $out/build.log)"; exit 1; }
ls -l "$out"/*.deb

echo "== lintian"
changes=$(ls "$out"/chess3d_"${version}"_*.changes)
lintian --fail-on error --info "$changes" | tee "$out/lintian.txt"
echo "packages ok: $out"
