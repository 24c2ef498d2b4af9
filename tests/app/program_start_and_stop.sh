#!/usr/bin/env bash
# The program finds its data from any current folder, ends with code 0 on SIGTERM, and stops
# with a message naming a missing data file (non-zero code) instead of crashing.
set -u
program=$1
bin=$(dirname "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The game's saved games and settings go to the test's own folder, and a developer's old saved
# games beside the build's program stay where they are.
export XDG_DATA_HOME=$work/data CHESS3D_LEAVE_OLD_SAVES=1
fail() { echo "FAIL: $*"; exit 1; }

# 1. Started from another folder, it runs, logs its GL renderer, and SIGTERM ends it with 0.
cd "$work"
rm -f "$bin/KivEngine.log"
"$program" >"$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 100); do
    grep -q "GL" "$bin/KivEngine.log" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
sleep 2
kill -0 $pid 2>/dev/null || { cat "$work/out.txt"; fail "the program stopped by itself"; }
kill -TERM $pid
wait $pid
code=$?
[ $code -eq 0 ] || { cat "$work/out.txt"; fail "exit code $code after SIGTERM"; }
grep -q "GL" "$bin/KivEngine.log" || fail "no GL renderer line in the engine log"
[ ! -e "$work/KivEngine.log" ] || fail "the log was written in the starting folder"
[ -d "$XDG_DATA_HOME/chess3d/Save" ] || fail "no saved-games folder in \$XDG_DATA_HOME"
echo "ok: runs from another folder, exits 0 on SIGTERM, saved games in \$XDG_DATA_HOME"

# 2. A copy of the program without its data stops with a message naming the missing file.
mkdir "$work/nodata"
cp "$bin"/chess3d "$bin"/lib*.so* "$work/nodata/" 2>/dev/null
"$work/nodata/chess3d" >"$work/nodata.txt" 2>&1
code=$?
[ $code -ne 0 ] || fail "exit code 0 without data"
grep -q 'Decor.m3d' "$work/nodata.txt" || { cat "$work/nodata.txt"; fail "message does not name the missing file"; }
echo "ok: missing data named, exit code $code"

# 3. With no display to show on (none named, or one named that never answers), it stops with a
#    message and a non-zero code instead of running unseen on SDL's windowless driver.
n=400
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
for display in "" ":$n"; do
    env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY="$display" timeout 30 "$program" \
        >"$work/nodisplay.txt" 2>&1
    code=$?
    [ $code -ne 0 ] && [ $code -ne 124 ] ||
        fail "exit code $code with DISPLAY='$display' (124: still running after 30 s)"
    grep -q 'no window could be opened' "$work/nodisplay.txt" ||
        { cat "$work/nodisplay.txt"; fail "no message with DISPLAY='$display'"; }
done
echo "ok: without a display it stops with a message, exit code $code"

# 4. Ctrl+C during a game against the computer (a PGN game opened from the command line) keeps
#    it as the unfinished game, and nothing else in the saved-games folder changes.
save="$XDG_DATA_HOME/chess3d/Save"
printf '[White "A"]\n[Black "B"]\n\n1. e4 e5 2. Nf3 Nc6 *\n' >"$work/open.pgn"
ls "$save" >"$work/before.txt"
rm -f "$bin/KivEngine.log"
"$program" "$work/open.pgn" >"$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 300); do
    grep -q "GL" "$bin/KivEngine.log" 2>/dev/null && break
    sleep 0.1
done
kill -INT $pid
wait $pid || { cat "$work/out.txt"; fail "exit code $? after SIGINT"; }
[ "$(wc -l <"$save/Unfinished game.chs")" -eq 4 ] || fail "the 4 moves were not kept on SIGINT"
ls "$save" | grep -vx 'Unfinished game.chs' | diff "$work/before.txt" - || fail "other files changed"
echo "ok: SIGINT keeps the game against the computer as the unfinished game"
