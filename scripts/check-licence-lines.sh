#!/usr/bin/env bash
# check-licence-lines.sh [--gpl] [ROOT]: the sources say which licence they are under, as
# debian/copyright does.
#  - Every source file (.cpp, .h, .hpp, .inl, .c) that debian/copyright's Expat paragraph covers
#    (the network library KivNetwork in net/ and its example) carries the line
#    "SPDX-License-Identifier: MIT" among its first five lines, and no GPL line.
#  - A source file carrying the MIT line must be covered by that paragraph, or the package's
#    copyright file would put it under the GPL.
#  - With --gpl, every other source file of the tree carries
#    "SPDX-License-Identifier: GPL-3.0-or-later" among its first five lines as well.
# Prints every offending file; exits 1 when one is found.
set -uo pipefail
gpl=no
if [ "${1:-}" = "--gpl" ]; then
    gpl=yes
    shift
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
copyright=$root/debian/copyright
MIT_LINE="SPDX-License-Identifier: MIT"
GPL_LINE="SPDX-License-Identifier: GPL-3.0-or-later"
[ -f "$copyright" ] || { echo "FAIL: no $copyright"; exit 1; }

# The file patterns of the paragraph whose licence is Expat (continuation lines included).
mapfile -t mit_patterns < <(awk '
    /^$/ { if (expat) print files; files = ""; expat = 0; infiles = 0; next }
    /^Files:/ { files = substr($0, 7); infiles = 1; next }
    /^[ \t]/ { if (infiles) files = files " " $0; next }
    { infiles = 0 }
    /^License: *Expat *$/ { expat = 1 }
    END { if (expat) print files }' "$copyright" | tr -s ' \t' '\n' | sed '/^$/d')
[ ${#mit_patterns[@]} -gt 0 ] || { echo "FAIL: debian/copyright has no Files: paragraph under Expat"; exit 1; }

under_mit() { # DEP-5 patterns: * matches any characters, slashes included, as it does in [[ ]]
    local pattern
    for pattern in "${mit_patterns[@]}"; do
        # shellcheck disable=SC2053 # the pattern is meant to match as a glob
        [[ $1 == $pattern ]] && return 0
    done
    return 1
}
# Each source with what its first five lines carry, read in one pass: "MIT GPL GPL-LINE FILE",
# each flag 1 or 0 (GPL: any GPL line; GPL-LINE: the game's own).
lines_of_sources() {
    (cd "$root" && find . \( -path './.*' -o -path './build*' \) -prune -o -type f \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.inl' -o -name '*.c' \) -print |
        sed 's|^\./||' | sort | tr '\n' '\0' |
        xargs -0 -r awk -v mit="$MIT_LINE" -v gpl="$GPL_LINE" '
            FNR <= 5 {
                if (index($0, mit)) m[FILENAME] = 1
                if (index($0, "GPL")) g[FILENAME] = 1
                if (index($0, gpl)) l[FILENAME] = 1
            }
            END { for (i = 1; i < ARGC; ++i) print m[ARGV[i]] + 0, g[ARGV[i]] + 0, l[ARGV[i]] + 0, ARGV[i] }')
}

status=0
while read -r has_mit has_gpl has_gpl_line file; do
    if under_mit "$file"; then
        [ "$has_mit" = 1 ] || { echo "$file: no \"$MIT_LINE\" line"; status=1; }
        [ "$has_gpl" = 0 ] || { echo "$file: a GPL line in the MIT library"; status=1; }
    else
        [ "$has_mit" = 0 ] ||
            { echo "$file: an MIT line, but debian/copyright's Expat paragraph does not cover it"; status=1; }
        [ $gpl = no ] || [ "$has_gpl_line" = 1 ] || { echo "$file: no \"$GPL_LINE\" line"; status=1; }
    fi
done < <(lines_of_sources)

if [ $status -eq 0 ]; then echo "licence lines ok"; else echo "FAIL: the licence lines above"; fi
exit $status
