#!/usr/bin/env bash
# port_mapping.sh BIN_DIR PORT (as root, else skipped): a game hosts with --port-mapping in a
# namespace behind a router namespace running mapping_responder.py as NAT-PMP, as UPnP, or not
# at all, honest or lying. The router sees the mapping made, renewed and removed; the game lists
# its addresses and shows the public one with the port the router chose, says that a router
# behind another NAT cannot open the port, or gives the line to forward the port by hand.
set -u
bin=$(readlink -f "$1") port=$2 plies=0
. "$(dirname "${BASH_SOURCE[0]}")/two_players.sh"
netns_ok || { echo "SKIP: network namespaces need root"; exit 77; }
router=c3dnet-router-$$ home=c3dnet-home-$$
cable "$router" "c3d-r$$" 198.51.100.1/24 "$home" "c3d-h$$" 198.51.100.2/24 || fail "no cable"
ip -n "$router" addr add 198.51.100.3/24 dev "c3d-r$$" # another machine of the local network
ip -n "$home" addr add 2001:db8:c3d::2/64 dev "c3d-h$$" nodad
ip -n "$home" route add default via 198.51.100.1
responder=$(dirname "$(readlink -f "$0")")/mapping_responder.py
mapped="NAT-PMP mapping TCP port $port -> 198.51.100.2:$port for 3600 s"
# name mode public-address lies|what the game says|lines the router shows|!a line it never shows
routers=(
    "natpmp natpmp 203.0.113.7|(NAT-PMP): from outside, join at 203.0.113.7:$port|NAT-PMP public address asked by 198.51.100.2|$mapped|NAT-PMP removal of TCP port $port"
    "upnp upnp 203.0.113.7|(UPnP): from outside, join at 203.0.113.7:$port|SSDP search|UPnP mapping TCP port $port -> 198.51.100.2:$port for 3600 s \(chess3d\)|UPnP removal of TCP port $port"
    "none none -|forward TCP port $port to this machine by hand"
    "natpmp-liar natpmp 203.0.113.9 port+100 lease=4 stale|(NAT-PMP): from outside, join at 203.0.113.9:$((port + 100))|$mapped|NAT-PMP removal of TCP port $port"
    "natpmp-cgn natpmp 100.64.7.7|behind another NAT|$mapped"
    "upnp-cgn upnp 100.64.7.7|behind another NAT|UPnP mapping TCP port $port"
    "upnp-elsewhere upnp 203.0.113.7 control=198.51.100.3|forward TCP port $port to this machine by hand|SSDP search|!UPnP mapping"
)
for r in "${routers[@]}"; do
    IFS='|' read -r -a f <<<"$r"
    read -r name mode public lies <<<"${f[0]}"
    [ $mode = none ] || start $name-router ip netns exec "$router" python3 -u "$responder" $mode 198.51.100.1 $public $lies
    [ $mode = none ] || line $name-router ready 20 >/dev/null || fail "$name: no responder"
    player $name 1 "$home" --host white --port "$port" --port-mapping
    said=$(line $name "router forwards|by hand|behind another NAT" 90) || fail "$name: the game said nothing of the router"
    # A 4 s lease is renewed at half of it, asking for the port outside the router chose.
    [[ $lies != *lease* ]] || line $name-router "NAT-PMP mapping TCP port $((port + 100)) -> " 10 >/dev/null ||
        fail "$name: a 4 s lease was not renewed"
    kill -TERM "${PIDS[-1]}" && wait "${PIDS[-1]}"
    for listed in "198.51.100.2:$port" "\[2001:db8:c3d::2\]:$port"; do
        line $name "^  $listed$" 1 >/dev/null || fail "$name: the host did not list $listed"
    done
    echo "$name: ${said#chess3d: }"
    [[ $said == *"${f[1]}"* ]] || fail "$name: the game said \"$said\", not \"${f[1]}\""
    [ $mode = none ] && continue
    for what in "${f[@]:2}"; do
        [[ $what != !* ]] || { ! grep -qE "${what#!}" "$work/$name-router.out" || fail "$name: the router saw: ${what#!}"; continue; }
        line $name-router "$what" 10 >/dev/null || fail "$name: the router never saw: $what"
    done
    kill -TERM "${PIDS[-2]}"
done
echo "PASS: mappings made, renewed and removed through NAT-PMP and UPnP in namespaces; lying routers not believed; with no router, forward by hand"
