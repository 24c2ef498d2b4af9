#!/usr/bin/env bash
# relay_game.sh BIN_DIR PORT PLIES [CUT_AT]: two games play PLIES moves through fault_relay.py
# (delays, splits, a 6-second stall, a cut at CUT_AT s): both boards end on the same position.
set -u
bin=$(readlink -f "$1") port=$2 plies=$3 cut=${4:-}
. "$(dirname "${BASH_SOURCE[0]}")/two_players.sh"
began=$(date +%s)
player host 11 - --host white --port "$port"
start relay python3 -u "$(dirname "$(readlink -f "$0")")/fault_relay.py" $((port + 1)) "$port" 7 \
    --stall 15:6 ${cut:+--cut "$cut"}
line host "hosting on" 120 >/dev/null || fail "the host did not start"
player joiner 12 - --join 127.0.0.1 --port $((port + 1))
same_end $((200 + plies * 8))
line relay "STALL ends" 1 >/dev/null || fail "the relay did not stall"
[ -z "$cut" ] || line joiner "REJOIN ends" 1 >/dev/null || fail "the joining side did not come back"
kill -TERM "${PIDS[1]}" && wait "${PIDS[1]}"
echo "PASS: $plies moves in step through the relay in $(($(date +%s) - began)) s; $(tail -n 1 "$work/relay.out")"
