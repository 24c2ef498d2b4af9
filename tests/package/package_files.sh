#!/usr/bin/env bash
# The packages' files as the build makes them, without building a package: the AppStream entry
# and the desktop entry pass their validators and declare the PGN files the game opens, the
# screenshots they name are in docs/screenshots/, the manual pages render without a warning and
# name every option and command the programs list,
# both programs print the version of debian/changelog, the pkg-config file gives it too, and the
# network library exports exactly what debian/libkivnetwork0.symbols lists.
#   package_files.sh <source folder> <build folder>
set -u
src=$1 build=$2
fail() { echo "FAIL: $*"; exit 1; }
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)

# 1. AppStream and the desktop entry.
meta=$build/dist/chess3d.metainfo.xml
appstreamcli validate --no-net "$meta" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$meta" || fail "the metainfo's release is not $version"
shots=$(grep -o '<image>[^<]*</image>' "$meta" | sed 's|.*/docs/screenshots/||; s|</image>||')
[ -n "$shots" ] || fail "no screenshot in the metainfo"
for shot in $shots; do
    [ -f "$src/docs/screenshots/$shot" ] || fail "the metainfo shows docs/screenshots/$shot, which is not there"
done
desktop=$build/dist/chess3d.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
# A .pgn file opens with the game from a file manager: the entry's command takes the file, and
# it declares the PGN types the metainfo provides, which shared-mime-info defines (the package
# would have to ship a definition otherwise).
grep -qE '^Exec=.* %f$' "$desktop" || fail "the desktop entry's command takes no file (%f)"
types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | grep . | sort)
provided=$(grep -o '<mediatype>[^<]*' "$meta" | sed 's/<mediatype>//' | sort)
grep -qx application/x-chess-pgn <<<"$types" || fail "the desktop entry does not open PGN files"
[ "$types" = "$provided" ] || fail "desktop entry types ($types) and metainfo types ($provided) differ"
for type in $types; do
    grep -q "type=\"$type\"" /usr/share/mime/packages/*.xml || fail "no MIME definition of $type"
done
echo "ok: metainfo (version $version, $(wc -w <<<"$shots") screenshots) and desktop entry (opens" \
    $types")"

# 2. Manual pages: no groff warning, and every option or command the programs list.
check_page() { # page usage-text
    local page=$1 usage=$2 warnings words
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
    grep -q "\"chess3d $version\"" "$page" || fail "$(basename "$page") is not of version $version"
    words=$(sed 's/\\-/-/g' "$page")
    for word in $(grep -oE -- '--[a-z-]+|chess3d-engine [a-z|-]+' <<<"$usage" | awk '{print $NF}' |
        tr '|' '\n' | sort -u); do
        grep -qF -- "$word" <<<"$words" || fail "$(basename "$page") does not describe $word"
    done
}
bin=$build/bin
check_page "$build/dist/chess3d.6" "$("$bin/chess3d" --help)"
check_page "$build/dist/chess3d-engine.6" "$("$bin/chess3d-engine" 2>&1)"
echo "ok: manual pages"

# 3. One version everywhere.
[ "$("$bin/chess3d" --version)" = "chess3d $version" ] || fail "chess3d --version: $("$bin/chess3d" --version)"
[ "$("$bin/chess3d-engine" --version)" = "chess3d-engine $version" ] || fail "chess3d-engine --version"
[ "$(PKG_CONFIG_PATH=$build pkg-config --modversion kivnetwork)" = "$version" ] || fail "kivnetwork.pc version"
[ "$(PKG_CONFIG_PATH=$build pkg-config --libs-only-l kivnetwork | xargs)" = "-lKivNetwork" ] || fail "kivnetwork.pc libs"
echo "ok: version $version in both programs and the pkg-config file"

# 4. The symbols file lists what the library exports, no more and no less.
lib=$(readlink -f "$bin/libKivNetwork.so")
[ "$(objdump -p "$lib" | awk '/SONAME/ {print $2}')" = libKivNetwork.so.0 ] || fail "SONAME"
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt | sort -u)
listed=$(sed -n 's/^ (c++[^)]*)"\(.*\)@Base" .*/\1/p' "$src/debian/libkivnetwork0.symbols" | sort -u)
if [ "$exported" != "$listed" ]; then
    diff <(echo "$listed") <(echo "$exported")
    fail "debian/libkivnetwork0.symbols (<) and the library's exports (>) differ"
fi
echo "ok: $(wc -l <<<"$exported") exported symbols, all in the symbols file"
