# The X server of an end-to-end script (sourced): when no display is set, an Xvfb of its own on
# the first free display number from FIRST to LAST. Sets xvfb_pid (for the script's clean-up)
# and DISPLAY; uses the script's `work`, `fail` and `note`. Also makes xdotool and import try
# again when the server drops their connection (x_tool below).
start_own_xvfb() { # first last
    [ -z "${DISPLAY:-}" ] || return 0
    local n
    for n in $(seq "$1" "$2"); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >"$work/xvfb.txt" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        if kill -0 $xvfb_pid 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            break
        fi
        xvfb_pid=""
    done
    [ -n "${DISPLAY:-}" ] || fail "could not start Xvfb"
    note "started Xvfb on $DISPLAY"
}

# A busy X server now and then closes a new client's connection before answering it. A tool
# that could not connect did nothing, so it is run again (three tries in all); any other failure
# is the tool's own and is returned as it was. Uses the script's `work`.
x_tool() { # tool arguments...
    local try rc err="$work/x-tool-stderr.$BASHPID.txt"
    for try in 1 2 3; do
        command "$@" 2>"$err"
        rc=$?
        if [ $rc -ne 0 ] && [ $try -lt 3 ] &&
            grep -qE "Can't open display|unable to open X server" "$err"; then
            sleep 0.3
            continue
        fi
        cat "$err" >&2
        rm -f "$err"
        return $rc
    done
}
xdotool() { x_tool xdotool "$@"; }
import() { x_tool import "$@"; }
