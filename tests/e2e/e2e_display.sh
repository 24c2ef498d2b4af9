# The X server of an end-to-end script (sourced): when no display is set, an Xvfb of its own on
# the first free display number from FIRST to LAST. Sets xvfb_pid (for the script's clean-up)
# and DISPLAY; uses the script's `work`, `fail` and `note`.
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
