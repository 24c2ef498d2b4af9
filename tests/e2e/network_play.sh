#!/usr/bin/env bash
# Two copies of the real program play each other over loopback under X, driven with xdotool:
# the host starts with --host white, the joiner with --join 127.0.0.1, both on a test port.
# Moves made on each side appear on the other board; chat lines go both ways; the joiner asks
# for a swap of colours, the host accepts, and the joiner (now White) moves; the joiner asks to
# take a move back, the host refuses; the joiner quits, the host shows the closed peer and a new
# joiner, coming through the menu and its connect screen, receives the whole game. Every program
# must end with code 0.
#
# Usage: network_play.sh path/to/chess3d [port]
# Starts its own Xvfb when DISPLAY is not set. Screenshots of every step are kept in a temporary
# folder whose path is printed on failure (CHESS3D_E2E_KEEP=1 keeps them after a pass too).
set -u

[ $# -ge 1 ] || { echo "usage: $0 path/to/chess3d [port]"; exit 2; }
program=$(readlink -f "$1")
port=${2:-29300}
[ -x "$program" ] || { echo "FAIL: no program at $1"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/chess3d-net-e2e.XXXXXX")
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The game's saved games and settings go to the test's own folder, and a developer's old saved
# games beside the build's program stay where they are.
export XDG_DATA_HOME=$work/data CHESS3D_LEAVE_OLD_SAVES=1

LIMIT=1200    # seconds for the whole session (about 300 on a busy 2-core machine): past it
              # something hangs
HOVER=0.8     # seconds between moving the pointer and clicking
GLIDE=60      # seconds a move may take to show: the glide and the camera's turn at the frame
              # rate of two software-rendered windows on a loaded machine
CLICK_WAIT=40 # seconds a click may take to show (a mark, a move)
TURN=4        # seconds for the camera's turn towards a clicked point (timed by the clock, not
              # by frames, so it is over by then at any frame rate)

began=$(date +%s)
xvfb_pid="" watchdog_pid="" passed=0 step=0
declare -A pid wid ox oy
SHOT=""

elapsed() { echo $(($(date +%s) - began)); }
note() { echo "[$(elapsed) s] $*"; }

stop() { # name
    local p=${pid[$1]:-}
    [ -n "$p" ] || return 0
    if kill -0 "$p" 2>/dev/null; then
        kill -TERM "$p" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$p" 2>/dev/null
    fi
    wait "$p" 2>/dev/null
    pid[$1]=""
}

cleanup() {
    [ -n "$watchdog_pid" ] && kill "$watchdog_pid" 2>/dev/null
    for name in "${!pid[@]}"; do stop "$name"; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    if [ $passed -eq 1 ] && [ -z "${CHESS3D_E2E_KEEP:-}" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT
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
    import -window root "$(printf '%s/%02d-at-failure.png' "$work" $((step + 1)))" 2>/dev/null
    for name in "${!pid[@]}"; do
        echo "--- $name: standard output and error (end) ---"
        tail -n 12 "$work/$name.out" 2>/dev/null
    done
    echo "screenshots of every step: $work"
    exit 1
}

alive() { # name step
    kill -0 "${pid[$1]}" 2>/dev/null && return 0
    wait "${pid[$1]}"
    fail "the $1 ended unexpectedly with code $? (step: $2)"
}

# ---- geometry -------------------------------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/e2e_geometry.sh" # AWK_GEOMETRY: project, lookAngles
# The two game views: the camera behind White (side 0) or Black (side 1), as the game turns
# it to the side to move after every move.
eye() { [ "$1" = 0 ] && echo "3.5, 5, 9.5" || echo "3.5, 5, -2.5"; }
view_angles() { [ "$1" = 0 ] && echo "-45 0" || echo "-45 179.9"; }
square_xz() { # e2 -> "4 6": board x (column) and z (row, 0 = rank 8)
    echo "$(($(printf '%d' "'${1:0:1}") - 97)) $((8 - ${1:1:1}))"
}
pixel_of() { # side x y z [pitch yaw] -> window pixel
    local a=(${5:-} ${6:-})
    [ ${#a[@]} -eq 2 ] || read -r -a a <<<"$(view_angles "$1")"
    awk "$AWK_GEOMETRY"' BEGIN { print project('"$2, $3, $4, $(eye "$1"), ${a[0]}, ${a[1]}"') }'
}
# The menu camera at (3.5, 6, -4), pitch 120, looks up at the wall plane y = 16; the menu's
# entries are rectangles of x and z on that plane.
wall_pixel() { awk "$AWK_GEOMETRY"' BEGIN { print project('"$1"', 16, '"$2"', 3.5, 6, -4, 120, 0) }'; }
look_after() { # side x y z -> camera angles after a click there
    awk "$AWK_GEOMETRY"' BEGIN { print lookAngles('"$2, $3, $4, $(eye "$1")"') }'
}

# ---- screen ---------------------------------------------------------------------------------
shot() { # name window-name: a screenshot of that window, in SHOT
    step=$((step + 1))
    SHOT=$(printf '%s/%02d-%s.png' "$work" "$step" "$1")
    import -window root -crop "800x600+${ox[$2]}+${oy[$2]}" +repage "$SHOT" 2>/dev/null ||
        fail "the screenshot $SHOT could not be taken"
}
box_around() { echo "$3x$4+$(($1 - $3 / 2))+$(($2 - $4 / 2))"; }
# Measures over a small box around a window point, flatter than wide: far squares are only a
# dozen pixels deep and the box must stay inside one.
PIECE_BOX="14 8"
dark_around() { # image x y -> share (percent) of near-black pixels: Black's pieces
    convert "$1" -crop "$(box_around "$2" "$3" $PIECE_BOX)" +repage -colorspace Gray \
        -threshold 15% -format '%[fx:100*(1-mean)]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
light_around() { # image x y -> mean brightness (percent)
    convert "$1" -crop "$(box_around "$2" "$3" $PIECE_BOX)" +repage -colorspace Gray \
        -format '%[fx:100*mean]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
per_mille_where() { # image crop fx-condition -> thousandths of the crop's pixels where it holds
    convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:1000*mean]' info: 2>/dev/null |
        awk '{ printf "%d\n", $1 }'
}
pixels_changed() { # a b crop -> pixels that differ by more than 8 %
    convert "$1" -crop "$3" +repage "$work/compare-a.png" &&
        convert "$2" -crop "$3" +repage "$work/compare-b.png" &&
        compare -metric AE -fuzz 8% "$work/compare-a.png" "$work/compare-b.png" null: 2>&1 |
        awk '{ printf "%d\n", $1 }'
}

spread_around() { # image x y -> standard deviation of the brightness (percent)
    convert "$1" -crop "$(box_around "$2" "$3" $PIECE_BOX)" +repage -colorspace Gray \
        -format '%[fx:100*standard_deviation]' info: 2>/dev/null | awk '{ printf "%d\n", $1 }'
}
near_white_around() { # image x y -> pixels that are bright in all three colours
    convert "$1" -crop "$(box_around "$2" "$3" $PIECE_BOX)" +repage \
        -fx 'r>0.88&&g>0.88&&b>0.88' -format '%[fx:int(w*h*mean+0.5)]' info: 2>/dev/null
}
# What stands on a square, judged just above its middle from the view of `side`: "black"
# (partly near-black), "white", "empty" otherwise. A white piece catches the light: a few of its
# pixels are near-white in every colour, or, far away and turned from the light, it is at least
# plainly shaded (light squares and dark veined ones are even, under 8 %). Brightness alone does
# not tell: the last move's squares are tinted straw (bright in red and green, not in blue), and
# the polished light squares far from the camera shine to over 80 % grey, yet neither ever has
# a near-white pixel.
piece_on() { # image side square
    local x z px py
    read -r x z <<<"$(square_xz "$3")"
    read -r px py <<<"$(pixel_of "$2" "$x" 0.15 "$z" ${4:-} ${5:-})"
    if [ "$(dark_around "$1" "$px" "$py")" -ge 15 ]; then
        echo black
    elif [ "$(near_white_around "$1" "$px" "$py")" -ge 2 ] ||
        { [ "$(light_around "$1" "$px" "$py")" -ge 40 ] && [ "$(spread_around "$1" "$px" "$py")" -ge 10 ]; }; then
        echo white
    else
        echo empty
    fi
}
# Waits until every "square=what" holds on the window seen from `side`.
board_shows() { # window side seconds square=what...
    local win=$1 side=$2 until_s=$(($(date +%s) + $3)) cond ok got
    shift 3
    while :; do
        alive "$win" "board of the $win"
        shot "$win-board" "$win"
        ok=1 got=""
        for cond in "$@"; do
            local what
            what=$(piece_on "$SHOT" "$side" "${cond%%=*}")
            got="$got ${cond%%=*}=$what"
            [ "$what" = "${cond#*=}" ] || ok=0
        done
        [ $ok -eq 1 ] && return 0
        [ "$(date +%s)" -ge $until_s ] && { BOARD="$got"; return 1; }
        sleep 0.5
    done
}

# Waits until a part of the window differs from an earlier screenshot of it.
wait_change() { # window crop before seconds
    local until_s=$(($(date +%s) + $4))
    while [ "$(date +%s)" -lt $until_s ]; do
        sleep 1
        shot "$1-changing" "$1"
        [ "$(pixels_changed "$3" "$SHOT" "$2")" -ge 1500 ] && return 0
    done
    return 1
}
REQUEST_BOX="300x110+250+270" # the request window's lines and buttons

focus() { # window
    xdotool windowraise "${wid[$1]}" 2>/dev/null
    xdotool windowfocus "${wid[$1]}" 2>/dev/null
}
click() { # window x y
    focus "$1"
    xdotool mousemove $((ox[$1] + $2)) $((oy[$1] + $3)) || fail "xdotool could not move the pointer"
    sleep "$HOVER"
    alive "$1" "click at $2, $3"
    xdotool click 1 || fail "xdotool could not click"
}
keys() { # window key...
    focus "$1"
    local k
    for k in "${@:2}"; do
        xdotool key "$k" || fail "xdotool could not press $k"
        sleep 0.15
    done
}

# The marks of a selection, by colour: the select mark of White's move is green, Black's blue;
# the target mark of White's move is gold, Black's red.
SELECT_MARK=('g>r+0.2&&g>b+0.1' 'b>0.75&&b>r+0.35&&g>r+0.2')
TARGET_MARK=('r>0.75&&b<0.35&&r>g+0.15&&g>0.45' 'r>0.75&&g<0.45&&b<0.45')
mark_on() { # image side square condition: the mark shows around the square's middle
    local x z px py
    read -r x z <<<"$(square_xz "$3")"
    read -r px py <<<"$(pixel_of "$2" "$x" 0 "$z" "${LOOK[0]}" "${LOOK[1]}")"
    [ "$(per_mille_where "$1" "$(box_around "$px" "$py" 120 76)" "$4")" -ge 15 ]
}
# Clicks a square (at height h), then waits until `check` holds on a screenshot. A program
# sharing a busy machine with another may take several seconds per frame, so the wait is long.
click_square() { # window side square height check...
    local win=$1 side=$2 sq=$3 h=$4 x z px py
    shift 4
    read -r x z <<<"$(square_xz "$sq")"
    read -r px py <<<"$(pixel_of "$side" "$x" "$h" "$z" "${LOOK[0]}" "${LOOK[1]}")"
    click "$win" "$px" "$py"
    read -r -a LOOK <<<"$(look_after "$side" "$x" "$h" "$z")"
    local until_s=$(($(date +%s) + CLICK_WAIT))
    while [ "$(date +%s)" -lt $until_s ]; do
        sleep 1
        shot "$win-click-$sq" "$win"
        "$@" && return 0
    done
    return 1
}
# A move with the three clicks a player makes: the piece (its select mark shows), the target
# (its target mark shows), the target again (the piece has gone there). Each click turns the
# camera a little towards the point clicked; the next click is aimed through the camera as it
# stands then. A click that shows nothing in its time is given once more: on a machine this busy
# an X click is now and then not seen, and clicking the same square again is what a player would
# do (a target clicked twice is the move, which the last step then finds made).
play() { # window side from to
    local try
    read -r -a LOOK <<<"$(view_angles "$2")"
    sleep $TURN # the camera's last flight towards this view is over
    for try in 1 2; do
        click_square "$1" "$2" "$3" 0.3 mark_on_shot "$2" "$3" "${SELECT_MARK[$2]}" && break
        [ $try = 2 ] && fail "the $1's clicks on $3 did not select it"
        note "the click on $3 showed nothing: once more"
    done
    for try in 1 2; do
        click_square "$1" "$2" "$4" 0 mark_on_shot "$2" "$4" "${TARGET_MARK[$2]}" && break
        [ $try = 2 ] && fail "the $1's clicks on $4 did not choose it"
        note "the click on $4 showed nothing: once more"
    done
    for try in 1 2; do
        click_square "$1" "$2" "$4" 0 moved_on_shot "$2" "$3" "$4" && break
        [ $try = 2 ] && fail "the $1's clicks on $4 again did not play $3-$4"
        note "the second click on $4 showed nothing: once more"
    done
    note "$1 played $3-$4"
}
mark_on_shot() { mark_on "$SHOT" "$@"; }
# After the move the camera turns to the other side, which is to move now. Seen from there
# (its own corner rook stands near the camera, which a picture from the mover's side cannot
# show), the origin is empty and the mover's piece stands on the target.
moved_on_shot() { # side from to
    local other=$((1 - $1)) colour corner own
    [ "$1" = 0 ] && colour=white || colour=black
    [ "$other" = 0 ] && corner=a1 own=white || { corner=h8; own=black; }
    [ "$(piece_on "$SHOT" $other $corner)" = $own ] &&
        [ "$(piece_on "$SHOT" $other "$2")" = empty ] && [ "$(piece_on "$SHOT" $other "$3")" = $colour ]
}

start() { # name x y args...: starts a copy of the program; its window goes to (x, y)
    local name=$1 x=$2 y=$3 w=""
    shift 3
    (cd "$work" && exec "$program" "$@") >"$work/$name.out" 2>&1 &
    pid[$name]=$!
    for _ in $(seq 1800); do
        alive "$name" "start-up"
        w=$(xdotool search --onlyvisible --pid "${pid[$name]}" 2>/dev/null | head -n 1)
        [ -n "$w" ] && break
        sleep 0.1
    done
    [ -n "$w" ] || fail "no window of the $name appeared within 180 s"
    wid[$name]=$w
    xdotool windowmove "$w" "$x" "$y"
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$w")"
    ox[$name]=$X oy[$name]=$Y
    note "$name started ($*), window at ($X, $Y)"
}

ends_with_zero() { # name
    local p=${pid[$1]} code
    kill -TERM "$p"
    for _ in $(seq 100); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$p" 2>/dev/null && fail "the $1 still runs 10 s after SIGTERM"
    wait "$p"
    code=$?
    pid[$1]=""
    [ $code -eq 0 ] || fail "the $1 ended with code $code"
}

# ---- X server -------------------------------------------------------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/e2e_display.sh"
start_own_xvfb 150 220
for tool in xdotool import compare convert awk; do
    type -P $tool >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done

# ---- 1. the host waits, the joiner joins ----------------------------------------------------
start host 40 80 --host white --port "$port"
board_shows host 0 $GLIDE e2=white d7=black || fail "the host's board did not show ($BOARD)"
shot net-host-waiting host
start joiner 1000 80 --join 127.0.0.1 --port "$port"
board_shows joiner 0 $GLIDE e2=white d7=black || fail "the joiner's board did not show ($BOARD)"
grep -q "New connection from \[127.0.0.1\]" "$work/host.out" || fail "the host saw no connection"

# ---- 2. moves on each side appear on the other board ----------------------------------------
play host 0 e2 e4
board_shows joiner 1 $GLIDE e2=empty e4=white ||
    fail "the host's e2-e4 did not appear on the joiner's board ($BOARD)"
play joiner 1 e7 e5
board_shows host 0 $GLIDE e7=empty e5=black ||
    fail "the joiner's e7-e5 did not appear on the host's board ($BOARD)"
play host 0 g1 f3
board_shows joiner 1 $GLIDE g1=empty f3=white || fail "g1-f3 did not reach the joiner ($BOARD)"
play joiner 1 b8 c6
board_shows host 0 $GLIDE b8=empty c6=black || fail "b8-c6 did not reach the host ($BOARD)"
board_shows joiner 0 $GLIDE e4=white e5=black f3=white c6=black ||
    fail "the joiner's own board is not in step ($BOARD)"
import -window root -crop "1760x600+40+80" +repage "$work/net-both-boards.png"
note "four moves on both boards"

# ---- 3. chat both ways ----------------------------------------------------------------------
# Received lines are light blue: (0.4, 0.6, 1.0) at the bottom left of the window.
CHAT_BOX="500x50+20+540"
BLUE='b>0.7&&b>r+0.3&&g>r+0.1'
chat_reaches() { # from to
    local _
    for _ in $(seq 20); do
        shot "$2-chat" "$2"
        [ "$(per_mille_where "$SHOT" "$CHAT_BOX" "$BLUE")" -ge 3 ] && return 0
        sleep 0.5
    done
    return 1
}
keys host Tab h e l l o space j o i n e r Return
chat_reaches host joiner || fail "the host's chat line did not show on the joiner's screen ($SHOT)"
keys joiner h i space h o s t Return
chat_reaches joiner host || fail "the joiner's chat line did not show on the host's screen ($SHOT)"
cp "$SHOT" "$work/net-chat.png"
keys host Tab    # the chat takes every key while it is open
keys joiner Tab
note "chat lines went both ways"

# ---- 4. a swap asked by the joiner and accepted ---------------------------------------------
# The request window's buttons: accept at x 280-360, refuse at x 440-510, y 350-375.
shot host-no-request host
before=$SHOT
keys joiner s
wait_change host "$REQUEST_BOX" "$before" 60 || fail "the joiner's swap request did not show on the host"
sleep 2 # the window's fade-in
shot host-request host
cp "$SHOT" "$work/net-peer-request.png"
click host 320 362
wait_change host "$REQUEST_BOX" "$SHOT" 60 || fail "accepting did not close the request window"
# White to move, and the joiner now plays White: its move proves the swap on both sides.
play joiner 0 d2 d4
board_shows host 1 $GLIDE d2=empty d4=white ||
    fail "after the swap the joiner's d2-d4 did not reach the host ($BOARD)"
note "swap accepted: the joiner played White's d2-d4"

# ---- 5. a take-back asked by the joiner and refused -----------------------------------------
shot host-no-request host
before=$SHOT
keys joiner b
wait_change host "$REQUEST_BOX" "$before" 60 || fail "the joiner's take-back request did not show"
sleep 2
shot host-take-back host
click host 475 362
wait_change host "$REQUEST_BOX" "$SHOT" 60 || fail "refusing did not close the request window"
sleep 2
board_shows joiner 1 $GLIDE d4=white d2=empty || fail "a refused take-back changed the board ($BOARD)"
board_shows host 1 $GLIDE d4=white d2=empty || fail "a refused take-back changed the host ($BOARD)"
note "take-back refused: both boards kept d2-d4"

# ---- 6. the joiner quits; a new joiner, through the menu, receives the whole game ----------
shot host-before-quit host
before=$SHOT
ends_with_zero joiner
for _ in $(seq 40); do
    grep -q "close connection from 127.0.0.1 with name : player" "$work/host.out" && break
    sleep 0.25
done
grep -q "close connection from 127.0.0.1 with name : player" "$work/host.out" ||
    fail "the host did not see the joiner leave"
sleep 0.5
shot host-peer-gone host
[ "$(pixels_changed "$before" "$SHOT" 420x60+190+80)" -ge 300 ] ||
    fail "the host shows no message when its peer leaves ($before, $SHOT)"
note "the joiner quit with code 0; the host shows the closed peer"

# The new joiner comes through the menu: Escape skips the intro; "New game", "Network game",
# "Join a game"; the connect screen; Enter on the empty address (this machine), Enter to join.
start joiner2 1000 80 --port "$port"
focus joiner2
xdotool mousemove $((ox[joiner2] + 400)) $((oy[joiner2] + 300)) # where the first page is known
keys joiner2 Escape
until_s=$(($(date +%s) + GLIDE))
while :; do
    shot joiner2-menu joiner2
    [ "$(per_mille_where "$SHOT" 160x50+149+300 'r>0.7&&g>0.7&&b>0.7')" -ge 20 ] && break
    [ "$(date +%s)" -ge $until_s ] && fail "the menu did not show after the intro ($SHOT)"
    sleep 1
done
sleep 3 # the camera's arrival at the wall
menu_entry() { # name wall-x wall-z: hover, click, and the wall turns to another page
    local x y before
    read -r x y <<<"$(wall_pixel "$2" "$3")"
    focus joiner2
    xdotool mousemove $((ox[joiner2] + x)) $((oy[joiner2] + y))
    sleep 3 # the wall finds the entry under the pointer in its frame step
    shot "joiner2-hover-$1" joiner2
    before=$SHOT
    click joiner2 "$x" "$y"
    wait_change joiner2 800x600+0+0 "$before" 60 || fail "\"$1\" did not turn the wall ($before)"
    sleep 6 # the turn itself
    note "menu: $1"
}
menu_entry new-game -0.2 1.15
menu_entry network-game 7.2 -1.05
menu_entry join-a-game 6.25 -1.1
keys joiner2 Return
sleep 2
keys joiner2 Return
board_shows joiner2 1 $GLIDE e4=white e5=black f3=white c6=black d4=white d2=empty e2=empty ||
    fail "the new joiner did not receive the whole game ($BOARD)"
[ "$(grep -c "New connection from \[127.0.0.1\]" "$work/host.out")" -ge 2 ] ||
    fail "the host did not accept the new joiner"
note "the new joiner received the whole game"

ends_with_zero joiner2
ends_with_zero host
passed=1
echo "PASS: two programs played over port $port: moves both ways, chat both ways, swap accepted," \
    "take-back refused, a new joiner received the game ($(elapsed) s)"
