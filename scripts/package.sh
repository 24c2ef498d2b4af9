#!/usr/bin/env bash
# package.sh [OUT]: builds chess3d's Debian packages (chess3d, chess3d-data, libkivnetwork0,
# libkivnetwork-dev) and the source package with dpkg-buildpackage from a clean copy of the
# committed tree (HEAD), then checks them all with lintian: any error or warning fails. The
# packages, the source's .dsc and tarball and the build's .changes land in OUT (default
# build-deb/); OUT/chess3d-VERSION/ is the copy they were built in.
# Then, as root: apt-get install ./build-deb/*.deb, and apt-get purge chess3d chess3d-data
# libkivnetwork0 libkivnetwork-dev to remove them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-deb}" && cd "${1:-$root/build-deb}" && pwd)
"$root/scripts/install-deps.sh" test

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
src=$out/chess3d-$version
rm -rf "$src" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo "$out"/*.dsc "$out"/*.tar.*
mkdir -p "$src"
git -C "$root" archive HEAD | tar -x -C "$src"
echo "== Building the packages of $(git -C "$root" rev-parse --short HEAD) in $src"

# A build with ccache keeps its cache where the developer's is, although debhelper gives the
# build a home of its own; the copy's fixed path lets a second package build reuse it.
if [ -n "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
fi
export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
# The source package too, so that lintian checks what only a source shows (debian/copyright's
# paragraphs against the files, the control file, the source's own files).
(cd "$src" && dpkg-buildpackage -us -uc) >"$out/build.log" 2>&1 ||
    { tail -40 "$out/build.log"; echo "FAIL: dpkg-buildpackage (the whole log: $out/build.log)"; exit 1; }
ls -l "$out"/*.deb

echo "== lintian"
changes=$(ls "$out"/chess3d_"${version}"_*.changes)
lintian_status=0
lintian --fail-on error,warning --info "$changes" >"$out/lintian.txt" 2>&1 || lintian_status=$?
cat "$out/lintian.txt"
echo "lintian: $(awk '/^[EWIPX]: / { ++n[substr($0, 1, 1)] }
    END { printf "%d errors, %d warnings, %d informational tags", n["E"], n["W"], n["I"] }' \
    "$out/lintian.txt")"
[ $lintian_status -eq 0 ] || { echo "FAIL: lintian found errors or warnings (exit $lintian_status)"; exit 1; }
echo "packages ok: $out"
