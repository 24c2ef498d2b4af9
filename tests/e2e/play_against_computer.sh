#!/usr/bin/env bash
# A player's whole session with the real program, driven through the X server with xdotool:
# skip the intro with Escape, take "New game", "Against the computer", level 4 and "White" on the
# menu wall, play e2-e4 with three clicks on the board, see the computer's reply, open the menu
# with Escape and leave through the quit banner. The program must end by itself with code 0.
#
# Usage: play_against_computer.sh path/to/chess3d
# Starts its own Xvfb when DISPLAY is not set. Screenshots of every step are kept in a temporary
# folder whose path is printed on failure (set CHESS3D_E2E_KEEP=1 to keep them after a pass).
set -u

[ $# -ge 1 ] || { echo "usage: $0 path/to/chess3d"; exit 2; }
program=$(readlink -f "$1")
[ -x "$program" ] || { echo "FAIL: no program at $1"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/chess3d-e2e.XXXXXX")
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The game's saved games and settings go to the test's own folder, and a developer's old saved
# games beside the build's program stay where they are.
export XDG_DATA_HOME=$work/data CHESS3D_LEAVE_OLD_SAVES=1

LIMIT=330          # seconds for the whole session (about 100 on a busy 2-core machine): past
                   # it something hangs, and the session ends with the program killed
HOVER=0.5          # seconds between moving the pointer and clicking: the wall finds the hovered
                   # entry in its frame step, the click uses what it found (a frame takes 10 to
                   # 40 ms on a software renderer, a few times that on a busy machine)
STILL=11000        # pixels that may change between two views of a still menu (the stars twinkle:
                   # up to about 10,000 between two views of the starry page of the opponents)
PAGE_CHANGE=20000  # pixels that must change when the wall shows another page

began=$(date +%s)
game_pid=""
xvfb_pid=""
watchdog_pid=""
passed=0
step=0
wid="" ox=0 oy=0
SHOT="" last_shot=""

elapsed() { echo $(($(date +%s) - began)); }
note() { echo "[$(elapsed) s] $*"; }

stop_game() {
    [ -n "$game_pid" ] || return 0
    if kill -0 "$game_pid" 2>/dev/null; then
        kill -TERM "$game_pid" 2>/dev/null
        for _ in $(seq 30); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$game_pid" 2>/dev/null
    fi
    wait "$game_pid" 2>/dev/null
    game_pid=""
}

cleanup() {
    [ -n "$watchdog_pid" ] && kill "$watchdog_pid" 2>/dev/null
    stop_game
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    if [ $passed -eq 1 ] && [ -z "${CHESS3D_E2E_KEEP:-}" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
# Whatever hangs (the program, the X server, a tool), the session ends in bounded time and the
# program does not outlive it.
trap 'echo "FAIL: the session ran over its time limit of $LIMIT s (screenshots: $work)"; exit 1' TERM INT
(
    for _ in $(seq $((LIMIT + 30))); do
        sleep 1
        kill -0 $$ 2>/dev/null || exit 0
    done
    kill -TERM $$
) >/dev/null 2>&1 </dev/null &
watchdog_pid=$!

fail() {
    echo "FAIL: $*"
    if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
        [ -n "$wid" ] && import -window root -crop "800x600+$ox+$oy" +repage \
            "$(printf '%s/%02d-at-failure.png' "$work" $((step + 1)))" 2>/dev/null
        echo "the program was still running; it is killed"
    fi
    stop_game
    echo "--- program's standard output (end) ---"
    tail -n 15 "$work/stdout.txt" 2>/dev/null
    echo "--- program's standard error (end) ---"
    tail -n 15 "$work/stderr.txt" 2>/dev/null
    echo "screenshots of every step: $work"
    exit 1
}

alive() {
    kill -0 "$game_pid" 2>/dev/null && return 0
    local code
    wait "$game_pid"
    code=$?
    game_pid=""
    fail "the program ended unexpectedly with code $code (step: $*)"
}

# ---- geometry -------------------------------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/e2e_geometry.sh" # AWK_GEOMETRY: project, lookAngles
# The menu camera at (3.5, 6, -4), pitch 120, looks up at the wall plane y = 16; the hover
# regions are rectangles of x and z on that plane.
wall_pixel() { awk "$AWK_GEOMETRY"' BEGIN { print project('"$1"', 16, '"$2"', 3.5, 6, -4, 120, 0) }'; }
# The game view from White's side: camera at (3.5, 5, 9.5), pitch -45, yaw 0 (or turned).
WHITE_EYE="3.5, 5, 9.5"
board_pixel() { # x y z [pitch yaw]
    awk "$AWK_GEOMETRY"' BEGIN { print project('"$1, $2, $3, $WHITE_EYE, ${4:--45}, ${5:-0}"') }'
}
look_angles() { awk "$AWK_GEOMETRY"' BEGIN { print lookAngles('"$1, $2, $3, $WHITE_EYE"') }'; }

# ---- screen ---------------------------------------------------------------------------------
shot() { # name: a screenshot of the window, numbered in step order; its path in SHOT
    step=$((step + 1))
    SHOT=$(printf '%s/%02d-%s.png' "$work" "$step" "$1")
    import -window root -crop "800x600+$ox+$oy" +repage "$SHOT" 2>/dev/null ||
        fail "the screenshot $SHOT could not be taken"
    last_shot=$SHOT
}
pixels_changed() { # a b -> number of pixels that differ by more than 15 %
    compare -metric AE -fuzz 15% "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }'
}
percent_where() { # image crop fx-condition -> percentage of the crop's pixels where it holds
    convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:100*mean]' info: 2>/dev/null |
        awk '{ printf "%d\n", $1 }'
}
box_around() { # x y w h -> crop geometry centred on (x, y)
    echo "$3x$4+$(($1 - $3 / 2))+$(($2 - $4 / 2))"
}
# Share of near-black pixels around a window point: Black's pieces are near black, the
# squares and the frame are not.
dark_around() { # image x y
    convert "$1" -crop "$(box_around "$2" "$3" 24 24)" +repage -colorspace Gray -threshold 15% \
        -format '%[fx:100*(1-mean)]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
light_around() { # image x y -> mean brightness (percent) around a window point
    convert "$1" -crop "$(box_around "$2" "$3" 24 24)" +repage -colorspace Gray \
        -format '%[fx:100*mean]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
# Where the pixels meeting an fx condition gather within 150 pixels across and 100 up and down
# of a window point: "x y count" (count 0 when there are none).
centroid_near() { # image x y fx-condition
    local x0=$(($2 - 150)) y0=$(($3 - 100))
    convert "$1" -crop "300x200+$x0+$y0" +repage -fx "$4" -depth 8 txt:- 2>/dev/null |
        awk -F'[,:]' -v x0=$x0 -v y0=$y0 'NR > 1 && /#FFFFFF/ { sx += $1; sy += $2; n++ }
            END { if (n) printf "%d %d %d\n", x0 + sx / n, y0 + sy / n, n; else print "0 0 0" }'
}
# A mark centred on a window point: at least 50 pixels of it, their middle within 20 pixels
# across and 15 up or down (the neighbouring squares' middles are 40 pixels or more away).
mark_on() { # image x y fx-condition
    local cx cy n
    read -r cx cy n <<<"$(centroid_near "$@")"
    MARK="($cx, $cy), $n pixels"
    [ "$n" -ge 50 ] && [ $((cx - $2)) -le 20 ] && [ $((($2) - cx)) -le 20 ] &&
        [ $((cy - $3)) -le 15 ] && [ $((($3) - cy)) -le 15 ]
}
GOLD='r>0.35&&r>b+0.15&&g>b+0.05'
GREEN='g>r+0.2&&g>b+0.1'       # the select marker of White's move
ORANGE='r>0.75&&b<0.35&&r>g+0.15' # the target marker

# The intro's title panel hangs before the camera: two golden rules across the window, each one
# unbroken row of gold. The rising menu wall also brings gold to those heights (its title and the
# frames of its entries), but never a row of it three quarters of the window wide.
gold_rule_near() { # image y -> percentage of gold in the goldest row of five from y down
    convert "$1" -crop "600x5+100+$2" +repage -fx "$GOLD" -scale '1x5!' \
        -format '%[fx:100*maxima]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
intro_title_shown() {
    [ "$(gold_rule_near "$1" 223)" -ge 75 ] && [ "$(gold_rule_near "$1" 372)" -ge 75 ]
}

# The menu wall's first page: the light words of "New game" left of the middle.
menu_page0_shown() {
    [ "$(percent_where "$1" 160x50+149+300 'r>0.7&&g>0.7&&b>0.7')" -ge 2 ]
}

# Two screenshots in a row that hardly differ: the animations of the wall are over.
wait_still() { # name seconds
    local until=$(($(date +%s) + $2)) a b n
    shot "$1-settling"; a=$SHOT
    while [ "$(date +%s)" -lt $until ]; do
        alive "$1"
        sleep 0.8
        shot "$1"; b=$SHOT
        n=$(pixels_changed "$a" "$b")
        [ "$n" -lt $STILL ] && return 0
        a=$b
    done
    return 1
}

point_at() { # window x y
    xdotool windowraise "$wid" 2>/dev/null
    xdotool mousemove $((ox + $1)) $((oy + $2)) || fail "xdotool could not move the pointer"
    sleep 0.2
}
click_at() { # window x y
    point_at "$1" "$2"
    sleep "$HOVER"
    alive "click at $1, $2"
    xdotool click 1 || fail "xdotool could not click"
}
press_escape() {
    xdotool windowraise "$wid" 2>/dev/null
    xdotool windowfocus "$wid" 2>/dev/null
    xdotool key Escape || fail "xdotool could not press Escape"
}

# An entry of the menu wall: hover its region's middle, click, let the wall turn, and check
# that the wall shows something else. With "waving" the new page never stands still (the quit
# banner): it is looked at once the turn is over.
menu_entry() { # name x z [waving]
    local xy before after n
    xy=$(wall_pixel "$2" "$3")
    note "menu: \"$1\" at window pixel $xy (wall x $2, z $3)"
    point_at $xy
    sleep "$HOVER"
    shot "hover-$1"; before=$SHOT
    click_at $xy
    sleep 3.2 # a page turn lasts about 3 s
    if [ "${4:-}" = waving ]; then
        sleep 1
        shot "after-$1"
    else
        wait_still "after-$1" 30 || fail "the wall kept moving after clicking \"$1\" (see $last_shot)"
    fi
    after=$last_shot
    n=$(pixels_changed "$before" "$after")
    [ "$n" -ge $PAGE_CHANGE ] ||
        fail "clicking \"$1\" at $xy changed nothing on the wall ($n pixels; $before, $after)"
}

# ---- X server -------------------------------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/e2e_display.sh"
start_own_xvfb 70 140
for tool in xdotool import compare convert; do
    type -P $tool >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done

# ---- 1. start, the intro, Escape ------------------------------------------------------------
cd "$work" || fail "no work folder"
"$program" >"$work/stdout.txt" 2>"$work/stderr.txt" &
game_pid=$!
for _ in $(seq 600); do
    alive "start-up"
    wid=$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || fail "no window of the program appeared within 60 s"
eval "$(xdotool getwindowgeometry --shell "$wid")"
ox=$X oy=$Y
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x$HEIGHT, not 800x600"
note "window $wid at ($ox, $oy), 800 x 600"
point_at 400 300

# The intro starts as the window shows and runs 11 s; from 1.1 s to 10 s of it its title hangs
# before the camera. Escape at once: the title must never show, and the menu wall must come to
# rest (the intro's flight never stands still).
press_escape
note "Escape during the intro"
shot after-escape; a=$SHOT
intro_title_shown "$a" && fail "Escape did not skip the intro: its title shows ($a)"
still=0
until_s=$(($(date +%s) + 30))
while [ "$(date +%s)" -lt $until_s ]; do
    alive "intro skip"
    sleep 0.5
    shot menu; b=$SHOT
    intro_title_shown "$b" && fail "Escape did not skip the intro: its title shows ($b)"
    if [ "$(pixels_changed "$a" "$b")" -lt $STILL ] && menu_page0_shown "$b"; then still=1; break; fi
    a=$b
done
[ $still -eq 1 ] || fail "the menu's first page did not come to rest after the intro (see $last_shot)"
note "menu wall up"

# ---- 2. the menu wall: New game, Against the computer, level 4, White ------------------------
# Hover regions (wall x and z ranges): page 0 "New game" -2.6..2.2 x 0.6..1.7; page 1
# "Against the computer" -3.1..2.8 x -1.6..-0.5; page 3 "White" 4.7..7.5 x -1.6..-0.6.
menu_entry new-game -0.2 1.15
menu_entry against-the-computer -0.15 -1.05
# The computer's page: level 4 (4.6 x -1.2 on the wall), the built-in engine as it shows.
menu_entry level-4 4.6 -1.2
read -r x y <<<"$(wall_pixel 6.1 -1.1)"
note "menu: \"white\" at window pixel $x $y (wall x 6.1, z -1.1)"
point_at "$x" "$y"
sleep "$HOVER"
shot hover-white
click_at "$x" "$y"

# The board from White's side: Black's pawns of d7 and e7 dark, White's of d2 and e2 light.
read -r d7x d7y <<<"$(board_pixel 3 0.25 1)"
read -r e7x e7y <<<"$(board_pixel 4 0.25 1)"
read -r d2x d2y <<<"$(board_pixel 3 0.25 6)"
read -r e2x e2y <<<"$(board_pixel 4 0.25 6)"
board_ready() {
    [ "$(dark_around "$1" "$d7x" "$d7y")" -ge 20 ] && [ "$(dark_around "$1" "$e7x" "$e7y")" -ge 20 ] &&
        [ "$(light_around "$1" "$d2x" "$d2y")" -ge 50 ] && [ "$(light_around "$1" "$e2x" "$e2y")" -ge 50 ]
}
until_s=$(($(date +%s) + 30))
start_board=""
while [ "$(date +%s)" -lt $until_s ]; do
    alive "board"
    shot board; f=$SHOT
    if board_ready "$f"; then start_board=$f; break; fi
    sleep 0.5
done
[ -n "$start_board" ] || fail "the board from White's side did not show after \"White\" ($last_shot)"
note "game started as White"
sleep 2 # the camera's eased arrival
shot board-start; start_board=$SHOT
board_ready "$start_board" || fail "the board view moved on by itself ($start_board)"

# ---- 3. e2-e4 in three clicks ---------------------------------------------------------------
# Each click on the board also turns the camera a little towards the clicked point; the next
# click is aimed through the camera as it stands then. The pawn is clicked at mid-height.
read -r x y <<<"$(board_pixel 4 0.3 6)"
note "click the e2 pawn at ($x, $y)"
click_at "$x" "$y"
sleep 2.5
read -r pitch yaw <<<"$(look_angles 4 0.3 6.2)"
shot e2-selected; f=$SHOT
read -r x y <<<"$(board_pixel 4 0 6 "$pitch" "$yaw")"
mark_on "$f" "$x" "$y" "$GREEN" ||
    fail "the click on the e2 pawn did not select it: the select mark is not on e2 at ($x, $y) but at $MARK ($f)"

read -r x y <<<"$(board_pixel 4 0 4 "$pitch" "$yaw")"
note "click e4 at ($x, $y)"
click_at "$x" "$y"
sleep 2.5
read -r pitch yaw <<<"$(look_angles 4 0 4)"
shot e4-chosen; f=$SHOT
read -r x y <<<"$(board_pixel 4 0 4 "$pitch" "$yaw")"
mark_on "$f" "$x" "$y" "$ORANGE" ||
    fail "the click on e4 did not choose it: the target mark is not on e4 at ($x, $y) but at $MARK ($f)"

note "click e4 again at ($x, $y)"
click_at "$x" "$y"
shot e4-played

# ---- 4. the computer's reply ----------------------------------------------------------------
# A book reply prints "book e7e5", a search its table: a header, then one line per depth
# ("  4       6461    -35  e7e5 b1c3 b8c6 g1f3"); it plays the first move of the deepest line.
reply=""
until_s=$(($(date +%s) + 90))
while [ "$(date +%s)" -lt $until_s ]; do
    alive "waiting for the computer's move"
    if grep -q '^ply *nodes *score *pv\|^book ' "$work/stdout.txt"; then
        reply=$(awk '/^book / { m = $2 } /^ply/ { t = 1; next } t && $1 == 4 && $4 ~ /^[a-h][1-8][a-h][1-8]/ { m = $4 } END { print m }' \
            "$work/stdout.txt")
        [ -n "$reply" ] && break
    fi
    sleep 0.5
done
[ -n "$reply" ] || fail "the computer did not search a reply within 90 s of e2-e4"
[ "$(grep -c '^ply\|^book ' "$work/stdout.txt")" -eq 1 ] || fail "the computer searched more than once"
note "the computer plays $reply"

# The reply on the board: once the piece has glided and the camera is back on White's side,
# the origin square has lost its dark piece and the target square has gained it.
col() { echo $(($(printf '%d' "'$1") - 97)); }
row() { echo $((8 - $1)); }
read -r fx fy <<<"$(board_pixel "$(col "${reply:0:1}")" 0.25 "$(row "${reply:1:1}")")"
read -r tx ty <<<"$(board_pixel "$(col "${reply:2:1}")" 0.25 "$(row "${reply:3:1}")")"
from0=$(dark_around "$start_board" "$fx" "$fy")
to0=$(dark_around "$start_board" "$tx" "$ty")
seen=0
until_s=$(($(date +%s) + 40))
while [ "$(date +%s)" -lt $until_s ]; do
    alive "the computer's move on the board"
    sleep 1
    shot reply; f=$SHOT
    from1=$(dark_around "$f" "$fx" "$fy")
    to1=$(dark_around "$f" "$tx" "$ty")
    if [ $((from0 - from1)) -ge 15 ] && [ $((to1 - to0)) -ge 15 ]; then seen=1; break; fi
done
[ $seen -eq 1 ] || fail "the board does not show $reply (dark share at ${reply:0:2} $from0 -> $from1 %, at ${reply:2:2} $to0 -> $to1 %; $start_board, $f)"
note "the reply $reply shows on the board"

# ---- 5. the menu and the quit banner --------------------------------------------------------
point_at 400 300 # where the menu's first page is recognised, as after the intro
press_escape
sleep 1.5
wait_still menu-again 30 || fail "the menu did not come to rest after Escape (see $last_shot)"
menu_page0_shown "$last_shot" || fail "Escape did not bring the menu's first page ($last_shot)"
n=$(pixels_changed "$f" "$last_shot")
[ "$n" -ge $PAGE_CHANGE ] || fail "Escape did not open the menu ($f, $last_shot)"
note "menu open"

# Page 0 "Quit": wall x 6.0..8.1, z -2.3..-1.2. The wall turns away and the banner comes.
menu_entry quit 7.05 -1.75 waving

# The banner's "Quit" button: wall x 2.3..3.4, z -1.9..-1.2.
read -r x y <<<"$(wall_pixel 2.85 -1.55)"
note "banner: \"Quit\" at ($x, $y)"
click_at "$x" "$y"
clicked_at=$(date +%s)

# The closing panel fades in and out (about 11 s), then the program ends.
until_s=$((clicked_at + 60))
sleep 2
kill -0 "$game_pid" 2>/dev/null && shot closing
while kill -0 "$game_pid" 2>/dev/null && [ "$(date +%s)" -lt $until_s ]; do sleep 0.2; done
kill -0 "$game_pid" 2>/dev/null && fail "the program still runs 60 s after \"Quit\" on the banner"
wait "$game_pid"
code=$?
game_pid=""
[ $code -eq 0 ] || fail "the program ended with code $code"
note "the program ended with code 0, $(($(date +%s) - clicked_at)) s after \"Quit\""

passed=1
echo "PASS: played e2-e4, the computer answered $reply, quit through the banner ($(elapsed) s)"
