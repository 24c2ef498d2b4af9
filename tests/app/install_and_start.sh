#!/usr/bin/env bash
# `cmake --install` into a temporary prefix lays out a tree that runs from any folder and shows
# in a desktop's menu: the installed program, started from elsewhere through its link in bin/,
# runs (SDL's offscreen driver, no display needed) and ends with 0 on SIGTERM; its saved games go
# to the player's data folder, whether it may write in its own folder or not.
#   install_and_start.sh <build folder>
set -u
build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix="$work/my games" # a folder name with a space, as players give them
fail() { echo "FAIL: $*"; exit 1; }
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0

# 1. The tree.
cmake --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1 || { cat "$work/install.txt"; fail "install"; }
lib=$prefix/lib/chess3d
for f in "$lib/chess3d" "$lib/chess3d-engine" "$lib/libKivEngine.so" "$lib/libKivNetwork.so" \
         "$lib/M3D/Decor.m3d" "$lib/textures/font.bmp" "$lib/Zik/3.wav" "$lib/LICENSE" \
         "$lib/LICENSE.KivNetwork"; do
    [ -e "$f" ] || fail "missing $f"
done
for p in chess3d chess3d-engine; do
    [ -L "$prefix/bin/$p" ] && [ -x "$prefix/bin/$p" ] || fail "no link bin/$p"
done
desktop=$prefix/share/applications/chess3d.desktop
[ -f "$desktop" ] || fail "no desktop entry"
grep -qxF "Exec=\"$prefix/bin/chess3d\" %f" "$desktop" || fail "the desktop entry does not start the installed program"
grep -qx "Icon=chess3d" "$desktop" || fail "the desktop entry names no icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
for size in 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/chess3d.png
    [ -f "$icon" ] || fail "no $size px icon"
    if command -v identify >/dev/null; then
        got=$(identify -format '%w %h %A' "$icon")
        case $got in "$size $size "[Bb]lend* | "$size $size "[Tt]rue*) ;; *) fail "icon $size: $got" ;; esac
    fi
done
echo "ok: installed tree, links, desktop entry and icons"

# Starts the installed program from another folder as it would be from the menu; it must run
# for two seconds and end with 0 on SIGTERM. `$1`: a command to run it with (may be empty).
run_installed() {
    local as=$1
    mkdir -p "$work/elsewhere"
    (cd "$work/elsewhere" && exec $as "$prefix/bin/chess3d") >"$work/out.txt" 2>&1 &
    local pid=$!
    for _ in $(seq 100); do
        [ -d "$2" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    sleep 2
    kill -0 $pid 2>/dev/null || { cat "$work/out.txt"; fail "the installed program stopped by itself"; }
    kill -TERM $pid
    wait $pid
    local code=$?
    [ $code -eq 0 ] || { cat "$work/out.txt"; fail "exit code $code after SIGTERM"; }
    [ -d "$2" ] || fail "no saved-games folder $2"
}

# 2. An install the player owns, where an earlier version kept its saved games beside the
# program: they move to the player's data folder, where the saved games are, and it says so.
export HOME=$work/home XDG_DATA_HOME=$work/xdg
own=$XDG_DATA_HOME/chess3d/Save
mkdir -p "$lib/Save" && echo 1 >"$lib/Save/old game.chs"
run_installed "" "$own"
[ "$(cat "$own/old game.chs")" = 1 ] && [ -z "$(ls -A "$lib/Save")" ] || fail "the old saved game did not move"
grep -q "moved from $lib/Save/ to $own/" "$work/out.txt" || { cat "$work/out.txt"; fail "no word of the move"; }
grep -q "GL renderer" "$lib/KivEngine.log" || fail "no GL renderer line in the installed program's log"
echo "ok: runs from another folder, an old Save folder beside it moved to \$XDG_DATA_HOME/chess3d/Save"

# 3. An install for every user, which the player may not write: the data folder too. As root
# the program is run as nobody, for whom the install (root's) is read-only.
rm -rf "$XDG_DATA_HOME/chess3d" "$lib/Save"
mkdir -p "$XDG_DATA_HOME" && chmod 777 "$work" "$XDG_DATA_HOME"
as=""
if [ "$(id -u)" -eq 0 ]; then
    chmod -R go-w "$prefix"
    chmod 755 "$prefix" "$prefix/lib" "$lib"
    as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
else
    chmod -R a-w "$lib"
fi
run_installed "$as" "$own"
[ ! -e "$lib/Save" ] || fail "the read-only install got a Save folder"
echo "ok: read-only install keeps its saved games in \$XDG_DATA_HOME/chess3d/Save"
