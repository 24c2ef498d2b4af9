# Sourced by the network end-to-end scripts (uses their `bin` and `plies`): games that play by
# themselves, network namespaces (c3dnet-*, removed however the script ends), waits on output.
work=$(mktemp -d "${TMPDIR:-/tmp}/chess3d-net.XXXXXX")
PIDS=() NAMESPACES=()
cleanup() {
    local p n
    for p in "${PIDS[@]}"; do kill -TERM "$p" 2>/dev/null; done
    wait 2>/dev/null
    for n in "${NAMESPACES[@]}"; do ip netns pids "$n" | xargs -r kill -KILL; ip netns del "$n"; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; tail -n 12 "$work"/*.out; exit 1; }
start() { (cd "$bin" && exec "${@:2}") >"$work/$1.out" 2>&1 & PIDS+=($!); } # name command...
player() { # name seed namespace (- for none) chess3d options...
    start "$1" $([ "$3" = - ] || echo ip netns exec "$3") ./scripted_player "$plies" "$2" 600 "${@:4}"
}
# Waits for a line matching the pattern in name's output; prints it. False after `seconds`.
line() { # name pattern seconds
    local until_s=$(($(date +%s) + $3))
    until grep -m1 -E "$2" "$work/$1.out" 2>/dev/null; do
        [ "$(date +%s)" -lt "$until_s" ] || return 1
        sleep 0.2
    done
}
# Both games reach PLIES moves and their boards end on the same position.
same_end() { # seconds
    local h j
    h=$(line host "^FINAL $plies " "$1") || fail "the host did not reach $plies moves"
    j=$(line joiner "^FINAL $plies " "$1") || fail "the joining side did not reach $plies moves"
    [ "$h" = "$j" ] || fail "the boards differ: $h / $j"
}
netns_ok() { [ "$(id -u)" = 0 ] && ip netns add "c3dnet-probe-$$" 2>/dev/null && ip netns del "c3dnet-probe-$$"; }
# Two namespaces joined by a veth pair, an address at each end (IPv6 ones kept while the link is
# down, as IPv4 ones are, and without duplicate detection).
cable() { # ns-a end-a address-a ns-b end-b address-b
    ip netns add "$1" && NAMESPACES+=("$1") && ip netns add "$4" && NAMESPACES+=("$4") &&
        ip link add "$2" netns "$1" type veth peer name "$5" netns "$4" || return 1
    local side
    for side in "$1 $2 $3" "$4 $5 $6"; do
        set -- $side
        ip netns exec "$1" sysctl -qw "net.ipv6.conf.$2.keep_addr_on_down=1"
        ip -n "$1" addr add "$3" dev "$2" $([[ $3 == *:* ]] && echo nodad)
        ip -n "$1" link set "$2" up && ip -n "$1" link set lo up
    done
}
