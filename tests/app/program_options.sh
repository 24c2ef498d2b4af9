#!/usr/bin/env bash
# The real program's command line: --help lists the options and ends with 0; a bad option
# says what is wrong on standard error and ends with 2, before any window opens.
set -u
program=$1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$program" --help 2>&1); code=$?
[ $code -eq 0 ] || fail "--help ended with $code"
for option in "--host white|black" "--join ADDRESS" "--port N" "--engine COMMAND" "--level N" "--help"; do
    grep -qF -- "$option" <<<"$out" || fail "--help does not list $option"
done

check_bad() { # expected-message args...
    local expected=$1 err code
    shift
    err=$("$program" "$@" 2>&1 >/dev/null); code=$?
    [ $code -eq 2 ] || fail "chess3d $* ended with $code, not 2"
    grep -qF -- "$expected" <<<"$err" || fail "chess3d $* said: $err"
}
check_bad "chess3d: unknown option '--colour'" --colour white
check_bad "chess3d: --host needs the colour to play: white or black" --host red
check_bad "chess3d: --port needs a port number from 1 to 65535, not '99999'" --port 99999
check_bad "chess3d: --host and --join cannot be used together" --host white --join 127.0.0.1
check_bad "chess3d: --level needs a level from 1 to 6, not '9'" --level 9
echo "ok: --help and bad options"
