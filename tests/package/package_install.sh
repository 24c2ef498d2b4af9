#!/usr/bin/env bash
# The Debian packages, the way a player gets them: built from a clean copy of the committed tree
# (scripts/package.sh, lintian included), installed with apt-get, used, and purged without a trace.
#   package_install.sh <source folder> <output folder>
# As root, on a system where none of the four packages is installed (Xvfb, xdotool and
# ImageMagick as scripts/install-deps.sh brings them). CHESS3D_PACKAGES_BUILT=1
# reuses the packages already in the output folder instead of building them again.
set -u
src=$1 out=$2
fail() { echo "FAIL: $*"; exit 1; }
ours=(chess3d chess3d-data libkivnetwork0 libkivnetwork-dev)
[ "$(id -u)" -eq 0 ] || fail "installing packages needs root"
known() { # package: installed, or its configuration files still there
    local status
    status=$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)
    [ -n "$status" ] && [ "$status" != not-installed ]
}
for p in "${ours[@]}"; do
    ! known "$p" || fail "$p is installed already; purge it first"
done
# Stopped from outside, the script still purges what it installed (the EXIT traps below).
trap 'exit 1' TERM INT
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT

# 1. Build (and lintian).
start=$SECONDS
if [ "${CHESS3D_PACKAGES_BUILT:-0}" != 1 ]; then
    "$src/scripts/package.sh" "$out" || fail "scripts/package.sh"
fi
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
debs=()
for p in "${ours[@]}"; do
    deb=$(ls "$out/${p}_${version}_"*.deb 2>/dev/null | head -1)
    [ -n "$deb" ] || fail "no package $p $version in $out"
    debs+=("$deb")
done
echo "ok: packages built in $((SECONDS - start)) s"

# 2. Install with apt-get, which brings the dependencies; remember what was there before.
dpkg-query -W -f='${Package}\n' | sort >"$work/before.txt"
for deb in "${debs[@]}"; do dpkg-deb -c "$deb"; done | awk '{print $6}' | sed 's|^\./|/|; s|/$||' |
    grep -v '^$' | sort -u >"$work/paths.txt"
while read -r path; do [ -e "$path" ] && echo "$path"; done <"$work/paths.txt" >"$work/existed.txt"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends "${debs[@]}" >"$work/apt.txt" 2>&1 ||
    { cat "$work/apt.txt"; fail "apt-get install"; }
purge() {
    dpkg-query -W -f='${Package}\n' | sort | comm -13 "$work/before.txt" - >"$work/added.txt"
    apt-get purge -y -q $(cat "$work/added.txt") >"$work/purge.txt" 2>&1 ||
        { cat "$work/purge.txt"; fail "apt-get purge"; }
}
trap 'purge; rm -rf "$work"' EXIT
echo "ok: installed with apt-get"

# 3. Use it.
PATH=/usr/games:$PATH
chess3d --help | grep -q -- "--join ADDRESS" || fail "chess3d --help"
[ "$(chess3d --version)" = "chess3d $version" ] || fail "chess3d --version: $(chess3d --version)"
[ "$(chess3d-engine --version)" = "chess3d-engine $version" ] || fail "chess3d-engine --version"
printf 'uci\nisready\nquit\n' | timeout 60 chess3d-engine uci >"$work/uci.txt" || fail "chess3d-engine uci"
grep -qx uciok "$work/uci.txt" && grep -qx readyok "$work/uci.txt" || fail "no uciok: $(cat "$work/uci.txt")"
[ "$(man -w chess3d)" = /usr/share/man/man6/chess3d.6.gz ] || fail "man -w chess3d: $(man -w chess3d)"
man -w chess3d-engine >/dev/null || fail "man -w chess3d-engine"
# (/lib is /usr/lib on a merged system, and the loader's cache may name either.)
ldd /usr/games/chess3d | grep -qE "libKivNetwork\.so\.0 => (/usr)?/lib/[^ ]*/libKivNetwork\.so\.0" ||
    fail "the game does not link the packaged network library: $(ldd /usr/games/chess3d | grep Kiv)"
desktop-file-validate /usr/share/applications/chess3d.desktop || fail "installed desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/*.metainfo.xml || fail "installed metainfo"
# File managers find the game for .pgn files in the cache desktop-file-utils' trigger rewrote.
grep -qE '^application/x-chess-pgn=(.*;)?chess3d\.desktop;' /usr/share/applications/mimeinfo.cache ||
    fail "the desktop's MIME cache does not offer chess3d for PGN files"
# The licences come with the packages: the library's with the MIT (Expat) text, the game's with
# the GPL.
for p in libkivnetwork0 libkivnetwork-dev chess3d; do
    licence=Expat
    [ $p = chess3d ] && licence=GPL-3+
    grep -qx "License: $licence" "/usr/share/doc/$p/copyright" || fail "$p's copyright lacks $licence"
done
echo "ok: --help, --version, uci to uciok, man -w, the packaged library, desktop and metainfo," \
    "PGN files offered to the game, the licences in the copyright files"

# The installed game, started by its desktop entry's command as a player (nobody, with a home
# of their own) in an X server of its own: it reads its data from /usr/share/games/chess3d,
# writes only in that home, shows the intro, and Escape brings up the menu wall, which comes to
# rest. CHESS3D_PACKAGE_SHOT=FILE keeps a picture of that window.
note() { echo "$*"; }
unset DISPLAY
xvfb_pid=""
# shellcheck source=../e2e/e2e_display.sh
. "$src/tests/e2e/e2e_display.sh"
start_own_xvfb 170 189
home=$work/home
mkdir -p "$home" && chown nobody "$home"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/chess3d.desktop | sed 's/ %f$//') # no file
SDL_AUDIODRIVER=dummy HOME=$home XDG_DATA_HOME= \
    setpriv --reuid=nobody --regid=nogroup --clear-groups $exec_line >"$work/game.txt" 2>&1 &
game=$!
stop_game() {
    kill -0 $game 2>/dev/null || return 0
    kill -TERM $game
    wait $game
}
trap 'stop_game; kill $xvfb_pid; purge; rm -rf "$work"' EXIT
own=$home/.local/share/chess3d
wid=""
for _ in $(seq 600); do
    kill -0 $game 2>/dev/null || { cat "$work/game.txt"; fail "the installed game stopped by itself"; }
    wid=$(xdotool search --onlyvisible --pid "$game" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && grep -q "First frame shown" "$own/KivEngine.log" 2>/dev/null && break
    sleep 0.1
done
[ -n "$wid" ] || fail "no window of the installed game within 60 s: $(cat "$work/game.txt")"
eval "$(xdotool getwindowgeometry --shell "$wid")"
# The wall rises around the pointer: in the window's middle, its first page's white "New game"
# lies at (149, 300) to (309, 350). Once up, only the stars twinkle (a few thousand pixels).
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) || fail "xdotool could not move the pointer"
xdotool windowraise "$wid" windowfocus "$wid" 2>/dev/null
xdotool key Escape || fail "xdotool could not press Escape"
shot=$work/shot.png
still=0
for _ in $(seq 240); do
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$work/now.png" ||
        fail "no screenshot of the installed game"
    white=$(convert "$work/now.png" -crop 160x50+149+300 +repage -fx 'r>0.7&&g>0.7&&b>0.7' \
        -format '%[fx:int(100*mean)]' info:)
    if [ -f "$shot" ] && [ "$white" -ge 2 ] &&
        [ "$(compare -metric AE -fuzz 15% "$shot" "$work/now.png" null: 2>&1 | cut -d' ' -f1)" -lt 11000 ]; then
        still=$((still + 1))
    else
        still=0
    fi
    mv "$work/now.png" "$shot"
    [ $still -ge 3 ] && break
    sleep 0.25
done
[ $still -ge 3 ] || fail "the menu of the installed game did not come up and rest (see $shot)"
colours=$(convert "$shot" -format '%k' info:)
[ "$colours" -gt 1000 ] || fail "the installed game's window shows $colours colours only"
[ -z "${CHESS3D_PACKAGE_SHOT:-}" ] || cp "$shot" "$CHESS3D_PACKAGE_SHOT"
stop_game || { cat "$work/game.txt"; fail "the installed game ended with $? on SIGTERM"; }
kill $xvfb_pid
trap 'purge; rm -rf "$work"' EXIT
[ -d "$own/Save" ] && grep -q "GL renderer" "$own/KivEngine.log" ||
    fail "the installed game did not start in $own: $(ls -R "$home")"
echo "ok: the game runs from its desktop entry ($exec_line, $colours colours on its menu), with" \
    "its saved games and log in $own"

# The library's example, built outside the tree against the installed -dev package.
example=/usr/share/doc/libkivnetwork-dev/examples/net_example.cpp
[ -f "$example" ] || [ -f "$example.gz" ] || fail "no example in libkivnetwork-dev"
zcat -f "$example"* >"$work/example.cpp"
(cd "$work" && g++ -std=c++17 -o example example.cpp $(pkg-config --cflags --libs kivnetwork)) ||
    fail "the example does not build with pkg-config kivnetwork"
(cd "$work" && ./example 30700) >"$work/example.txt" || { cat "$work/example.txt"; fail "example"; }
echo "ok: example built with pkg-config kivnetwork ($(pkg-config --libs kivnetwork)) and run"

# 4. Purge: the packages and what they brought go, and nothing they installed stays.
purge
trap 'rm -rf "$work"' EXIT
for p in "${ours[@]}"; do
    ! known "$p" || fail "$p is still known to dpkg after the purge"
done
left=$(while read -r path; do [ -e "$path" ] && echo "$path"; done <"$work/paths.txt" |
    comm -23 - "$work/existed.txt")
[ -z "$left" ] || fail "left behind after the purge: $left"
echo "ok: purged $(wc -w <"$work/added.txt") packages; nothing of theirs is left"
