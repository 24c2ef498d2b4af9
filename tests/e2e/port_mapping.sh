#!/usr/bin/env bash
# port_mapping.sh BIN_DIR PORT (as root, else skipped): a game hosts with --port-mapping in a
# namespace behind a router namespace running mapping_responder.py as NAT-PMP, as UPnP, or not
# at all. The router sees the mapping made and removed; the game lists its addresses and shows
# the public one, or the line to forward the port by hand.
set -u
bin=$(readlink -f "$1") port=$2 plies=0
. "$(dirname "${BASH_SOURCE[0]}")/two_players.sh"
netns_ok || { echo "SKIP: network namespaces need root"; exit 77; }
router=c3dnet-router-$$ home=c3dnet-home-$$
cable "$router" "c3d-r$$" 198.51.100.1/24 "$home" "c3d-h$$" 198.51.100.2/24 || fail "no cable"
ip -n "$home" addr add 2001:db8:c3d::2/64 dev "c3d-h$$" nodad
ip -n "$home" route add default via 198.51.100.1
responder=$(dirname "$(readlink -f "$0")")/mapping_responder.py
# What the router must see (each a line of the responder), and the method the game names.
seen_natpmp="NAT-PMP public address asked by 198.51.100.2|NAT-PMP mapping TCP port $port -> 198.51.100.2:$port for 3600 s|NAT-PMP removal of TCP port $port"
seen_upnp="SSDP search|UPnP mapping TCP port $port -> 198.51.100.2:$port for 3600 s \(chess3d\)|UPnP removal of TCP port $port"
declare -A method=([natpmp]=NAT-PMP [upnp]=UPnP)
for mode in natpmp upnp none; do
    [ $mode = none ] || start $mode-router ip netns exec "$router" python3 -u "$responder" $mode 198.51.100.1 203.0.113.7
    [ $mode = none ] || line $mode-router ready 20 >/dev/null || fail "$mode: no responder"
    player $mode 1 "$home" --host white --port "$port" --port-mapping
    said=$(line $mode "router forwards|by hand" 90) || fail "$mode: the game said nothing of the router"
    kill -TERM "${PIDS[-1]}" && wait "${PIDS[-1]}"
    for listed in "198.51.100.2:$port" "\[2001:db8:c3d::2\]:$port"; do
        line $mode "^  $listed$" 1 >/dev/null || fail "$mode: the host did not list $listed"
    done
    [ $mode = none ] && { [[ $said == *"forward TCP port $port to this machine by hand" ]] || fail "no line to forward by hand"; continue; }
    [[ $said == *"(${method[$mode]}): from outside, join at 203.0.113.7:$port" ]] || fail "$mode: no public address ($said)"
    seen=seen_$mode
    IFS='|' read -r -a expected <<<"${!seen}"
    for what in "${expected[@]}"; do line $mode-router "$what" 10 >/dev/null || fail "$mode: the router never saw: $what"; done
    kill -TERM "${PIDS[-2]}"
done
echo "PASS: NAT-PMP and UPnP mappings made and removed in namespaces; with no router, forward by hand"
