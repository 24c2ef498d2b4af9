#!/bin/sh
# A UCI engine that goes wrong, for the opponent tests: it plays White's first move (e2e4) like a
# real engine, then fails in the way its argument says:
#   crash    ends at the second "go"
#   hang     never answers the second "go" (and ignores "stop")
#   garbage  answers the second "go" with junk, a 6000-character line and an illegal move
#   mute     never finishes its introduction ("uciok" never comes)
mode=$1
searches=0
while IFS= read -r line; do
    case "$line" in
    uci)
        [ "$mode" = mute ] && continue
        echo "id name Fake Engine"
        echo "option name Skill Level type spin default 20 min 0 max 20"
        echo "uciok"
        ;;
    isready) echo "readyok" ;;
    go*)
        searches=$((searches + 1))
        if [ $searches -eq 1 ]; then
            echo "info depth 1 score cp 20 pv e2e4"
            echo "bestmove e2e4"
            continue
        fi
        case "$mode" in
        crash) exit 3 ;;
        garbage)
            printf 'info \001\377 nonsense\n'
            head -c 6000 /dev/zero | tr '\0' 'x'
            echo
            echo "bestmove e2e5"
            ;;
        esac
        ;;
    quit) exit 0 ;;
    esac
done
