#!/usr/bin/env bash
# uci-match.sh: a match of chess3d-engine (as a UCI engine) against Fairy-Max under the Debian
# xboard, headless under Xvfb, with polyglot as the UCI adapter. Writes the games to
# match.pgn in the output folder, prints the score, and fails when a game ended by an illegal
# move, a loss on time, a crash or a lost connection.
#
#   scripts/uci-match.sh [games (10)] [minutes[:seconds] per 40 moves and side (1)] [folder]
#
# Needs xboard, polyglot, fairymax and xvfb (Debian packages) and a built build/bin/chess3d-engine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
games=${1:-10}
tc=${2:-1}
out=${3:-$root/build/match}
engine="$root/build/bin/chess3d-engine"
export PATH="/usr/games:$PATH"

for tool in xboard polyglot fairymax Xvfb; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xboard polyglot fairymax xvfb)"; exit 2; }
done
[ -x "$engine" ] || { echo "missing: $engine (build first)"; exit 2; }
mkdir -p "$out"
rm -f "$out/match.pgn" "$out/xboard-debug.txt"

# A display of our own.
display=""
for n in $(seq 150 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 2; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

# Colours alternate game by game; ponder off; xboard calls the flag itself, so a loss on time is
# scored and shown in the game's result comment.
set -x
DISPLAY=$display xboard -noGUI \
    -fcp "$engine uci" -fUCI -fd "$out" \
    -scp fairymax -sd "$out" \
    -mg "$games" -tc "$tc" -xponder -autoCallFlag true \
    -sgf "$out/match.pgn" -popupExitMessage false -saveSettingsOnExit false \
    -debug -nameOfDebugFile "$out/xboard-debug.txt" >"$out/xboard-output.txt" 2>&1
set +x

# Score from chess3d-engine's side, and every way a game may have ended.
awk '
    /^\[White / { white = $0 }
    /^\[Result / {
        r = $2; gsub(/[]"]/, "", r); ours_white = (white ~ /chess3d-engine/)
        if (r == "1-0") { if (ours_white) win++; else loss++ }
        else if (r == "0-1") { if (ours_white) loss++; else win++ }
        else if (r == "1/2-1/2") draw++
        else other++
        games++
    }
    END { printf "games %d: chess3d-engine %d wins, %d losses, %d draws, %d unfinished; score %.1f/%d\n",
          games, win, loss, draw, other, win + draw / 2, games }' "$out/match.pgn"
echo "endings:"
grep -o '{[^{}]*} *\(1-0\|0-1\|1/2-1/2\|\*\)$' "$out/match.pgn" | sort | uniq -c || true
played=$(grep -c '^\[Result ' "$out/match.pgn" || true)
if [ "$played" -ne "$games" ]; then echo "FAILED: $played of $games games recorded"; exit 1; fi
if grep -iE '\{[^}]*(illegal|time|forfeit|crash|connection|disconnect|false)[^}]*\}' "$out/match.pgn"; then
    echo "FAILED: a game ended by an illegal move, on time or by a crash"
    exit 1
fi
echo "no illegal move, no loss on time, no crash"
