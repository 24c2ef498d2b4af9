#!/usr/bin/env bash
# pulled_cable.sh BIN_DIR PORT PLIES (as root, else skipped): two games in two namespaces on a
# veth pair, joined over IPv6; the cable goes down mid-game: both sides notice within the
# keep-alive time (20-32 s measured, 40 allowed); it comes back: the game resumes, boards agree.
# A silent stranger from another address waits beside the game throughout: it never cuts the
# player off nor gets a byte; with the player gone the host is asked about it (nobody answers).
set -u
bin=$(readlink -f "$1") port=$2 plies=$3
. "$(dirname "${BASH_SOURCE[0]}")/two_players.sh"
netns_ok || { echo "SKIP: network namespaces need root"; exit 77; }
a=c3dnet-host-$$ b=c3dnet-join-$$
cable "$a" "c3d-a$$" 2001:db8:c3d::1/64 "$b" "c3d-b$$" 2001:db8:c3d::2/64 || fail "no cable"
player host 21 "$a" --host black --port "$port"
line host "hosting on" 120 >/dev/null || fail "the host did not start"
player joiner 22 "$b" --join 2001:db8:c3d::1 --port "$port"
line host "^MOVE 6 " 180 >/dev/null || fail "the game did not get under way"
ip -n "$a" addr add 2001:db8:c3d::3/64 dev "c3d-a$$" nodad
start stranger ip netns exec "$a" python3 -c 'import socket, sys
s = socket.create_connection(("2001:db8:c3d::1", int(sys.argv[1])), 10, ("2001:db8:c3d::3", 0))
s.settimeout(None); print("STRANGER waits", flush=True); print("STRANGER got", len(s.recv(1)))' "$port"
line stranger "waits" 20 >/dev/null && line host "^MOVE 10 " 180 >/dev/null || fail "no game beside the stranger"
down=$(date +%s.%N)
ip -n "$b" link set "c3d-b$$" down
after() { awk -v t="$2" '{ printf "%.1f", $NF - t }' <<<"$(line "$1" "$3" 60)"; }
joiner=$(after joiner "$down" "REJOIN begins") && host=$(after host "$down" "PEER lost") || fail "never noticed"
awk "BEGIN { exit !($joiner > 0 && $joiner <= 40 && $host <= 40) }" || fail "noticed late: joining side $joiner s, host $host s"
line host "^A player from 2001:db8:c3d::3 at" 20 >/dev/null || fail "the host was not asked"
up=$(date +%s.%N)
ip -n "$b" link set "c3d-b$$" up
resumed=$(after joiner "$up" "REJOIN ends") || fail "the game did not resume"
same_end 300
grep -q "STRANGER got [1-9]" "$work/stranger.out" && fail "the stranger was given the game"
echo "PASS: pulled cable noticed by the joining side in $joiner s, by the host in $host s;" \
    "resumed $resumed s after it came back; $plies moves in step"
