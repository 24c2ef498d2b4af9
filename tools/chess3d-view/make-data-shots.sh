#!/bin/sh
# Renders the data-*.png pictures of docs/screenshots with chess3d-view, from a build's bin
# folder: make-data-shots.sh <build>/bin <output folder>. Needs ImageMagick (montage, convert) for the
# side-by-side pictures. Runs without a display (SDL's offscreen driver) unless DISPLAY is set.
set -eu
bin=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
[ -n "${DISPLAY:-}" ] || export SDL_VIDEODRIVER=offscreen
cd "$bin"
view() { ./chess3d-view "$@" >/dev/null; }

# The board in the start position from White's side (the game's first view), the marks of a
# selected piece and its target, Black's side, and the decor with its dome.
view scene "$out/data-board.png"
view scene "$tmp/marks.png" --marks --size 800 600
view scene "$tmp/black.png" --view 1 --size 800 600
montage "$tmp/marks.png" "$tmp/black.png" -tile 2x1 -geometry +2+2 "$out/data-board-marks-and-black-side.png"
view scene "$out/data-decor.png" --camera -14 9 20 -12 -40 --size 800 600

# Each piece close up, White and Black.
for p in pion:pawn tour:rook cava:knight fou:bishop dame:queen roi:king; do
    stem=${p%%:*}
    name=${p##*:}
    view ./M3D/ChessBoardB.M3D "$tmp/b.png" --object "${stem}B" --yaw 30 --pitch -12 --size 400 400
    view ./M3D/ChessBoardN.M3D "$tmp/n.png" --object "${stem}N" --yaw -30 --pitch -12 --size 400 400
    montage "$tmp/b.png" "$tmp/n.png" -tile 2x1 -geometry +2+2 "$out/data-piece-$name.png"
done

# The wall cube from below (general, multiplayer and color faces) and from above (newgame
# face and the plain back), the pause ball.
view ./M3D/BasicCubes.m3d "$tmp/c1.png" --object basicCube --yaw 35 --pitch 35 --size 400 400
view ./M3D/BasicCubes.m3d "$tmp/c2.png" --object basicCube --yaw 215 --pitch -35 --size 400 400
montage "$tmp/c1.png" "$tmp/c2.png" -tile 2x1 -geometry +2+2 "$out/data-cube.png"
view ./M3D/Option.m3d "$out/data-pause-ball.png" --object pauseBoule --yaw 20 --pitch -15 --size 400 400

# The menu wall: each page at rest, then the pointer in the middle of every hover region of
# the game's table (the cursor drawn where the mouse would be), then the quit banner.
for pg in 0 1 10 3; do view wall "$tmp/wall$pg.png" --page $pg --size 800 600; done
montage "$tmp/wall0.png" "$tmp/wall1.png" "$tmp/wall10.png" "$tmp/wall3.png" -tile 2x2 \
    -geometry 480x360+2+2 "$out/data-wall-pages.png"
i=0
for pt in "0 -0.2 1.15" "0 4.85 1.15" "0 8.55 1.15" "0 0.4 -1.8" "0 4.1 -1.8" "0 7.05 -1.75" \
          "1 -0.15 -1.05" "1 7.2 -1.05" "10 0.85 -1.1" "10 6.25 -1.1" "3 0.9 -1.1" "3 6.1 -1.1"; do
    set -- $pt
    view wall "$tmp/h$i.png" --page "$1" --pointer "$2" "$3" --size 800 600
    i=$((i + 1))
done
montage "$tmp"/h0.png "$tmp"/h1.png "$tmp"/h2.png "$tmp"/h3.png "$tmp"/h4.png "$tmp"/h5.png \
    -tile 3x2 -geometry 400x300+2+2 "$out/data-wall-hover-1.png"
montage "$tmp"/h6.png "$tmp"/h7.png "$tmp"/h8.png "$tmp"/h9.png "$tmp"/h10.png "$tmp"/h11.png \
    -tile 3x2 -geometry 400x300+2+2 "$out/data-wall-hover-2.png"
# The computer's page is shot in the running game (chess3d-shots: ui-menu-computer.png), with
# the engine's name and the chosen level the game paints on it.
view wall "$tmp/q1.png" --page 7 --pointer 2.85 -1.55 --size 800 600
view wall "$tmp/q2.png" --page 7 --pointer 4.1 -1.55 --size 800 600
montage "$tmp/q1.png" "$tmp/q2.png" -tile 2x1 -geometry +2+2 "$out/data-quit-banner.png"

# Heads-up panels with texts written at the game's window positions (800 x 600).
view scene "$tmp/u1.png" --size 800 600 --hud load,selectionBar,selectionOK,info,turn,player,cadreTurn,windowBar,chat
view scene "$tmp/u2.png" --size 800 600 --hud save,selectionBar,pause
view scene "$tmp/u3.png" --size 800 600 --hud request,turn,cadreTurn,player
view scene "$tmp/u4.png" --size 800 600 --hud client,turn,cadreTurn,player
montage "$tmp/u1.png" "$tmp/u2.png" "$tmp/u3.png" "$tmp/u4.png" -tile 2x2 -geometry +2+2 \
    "$out/data-hud.png"
view scene "$tmp/i1.png" --size 800 600 --hud intro --view 2
view scene "$tmp/i2.png" --size 800 600 --hud support
montage "$tmp/i1.png" "$tmp/i2.png" -tile 2x1 -geometry +2+2 "$out/data-intro-and-closing.png"

# The wall shots are mostly stars and tiles: 256 colours keep them small enough for the repository.
for f in "$out"/data-wall-*.png; do convert "$f" -colors 256 "PNG8:$f"; done

# The page pictures and the request picture with their select versions, as files.
cd textures
montage Interfaces/general.jpg Interfaces/generalselect.jpg Interfaces/newgame.jpg \
    Interfaces/newgameselect.jpg Interfaces/multiplayer.jpg Interfaces/multiplayerselect.jpg \
    Interfaces/color.jpg Interfaces/colorselect.jpg request.jpg requestselect.jpg \
    -tile 2x5 -geometry 512x256+4+4 -background gray30 "$out/data-pictures.png"
