#!/bin/bash
# Adds an SFSE release to the table of releases: its row in sfse-releases.txt, its row in the
# README's table, an entry under "Unreleased" in CHANGELOG.md, and the next minor version in
# CMakeLists.txt where the version there is released already. The pair comes from the command
# line, or from SFSE's own version header (sfse_common/sfse_version.h), which names the release
# and the game build it targets. An SFSE release the table has with another game build changes
# that row, and says so. Anything it refuses, it refuses before it writes: no file changes then.
# Exit code 0: added or changed; 1: refused, with what to fix; 2: usage; 3: nothing to add, as
# for an SFSE release the table has with that game build, or a header that targets a beta.
# Usage: add-sfse-release.sh <SFSE version> <game build>
#        add-sfse-release.sh --header <sfse_version.h>
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=release-sources.sh
source scripts/release-sources.sh
table="sfse-releases.txt"
usage="usage: add-sfse-release.sh <SFSE version> <game build> | --header <sfse_version.h>"
refuse() {
    echo "add-sfse-release.sh: $*; nothing was changed" >&2
    exit 1
}
nothing_to_add() {
    echo "add-sfse-release.sh: $*; nothing to add" >&2
    exit 3
}

# define_value NAME HEADER: the value of "#define NAME value" in HEADER, without a comment.
define_value() {
    sed -n "s/^#define[[:space:]]\{1,\}$1[[:space:]]\{1,\}\([^[:space:]].*\)$/\1/p" "$2" |
        sed 's|[[:space:]]*//.*||; s/[[:space:]]*$//' | head -n1
}

if [ "${1:-}" = --header ] && [ $# -eq 2 ]; then
    header="$2"
    [ -f "$header" ] || refuse "no such header: $header"
    beta="$(define_value SFSE_TARGETING_BETA_VERSION "$header")"
    sfse="$(define_value CURRENT_RELEASE_SFSE_STR "$header" | tr -d '"')"
    runtime="$(define_value CURRENT_RELEASE_RUNTIME "$header")"
    game="$(define_value "$runtime" "$header" |
        sed -n 's/^MAKE_EXE_VERSION(\([0-9]*\), *\([0-9]*\), *\([0-9]*\))$/\1.\2.\3/p')"
    if [ -z "$sfse" ] || [ -z "$game" ]; then
        refuse "$header names no CURRENT_RELEASE_SFSE_STR, or no MAKE_EXE_VERSION for" \
            "CURRENT_RELEASE_RUNTIME '${runtime}'"
    fi
    numbers="$(for part in SFSE_VERSION_INTEGER SFSE_VERSION_INTEGER_MINOR \
        SFSE_VERSION_INTEGER_BETA; do define_value "$part" "$header"; done | paste -sd.)"
    [ "$numbers" = "$sfse" ] ||
        refuse "$header says SFSE $sfse in CURRENT_RELEASE_SFSE_STR but $numbers in its numbers"
    [ "$beta" = 0 ] ||
        nothing_to_add "$header targets a beta of the game (SFSE_TARGETING_BETA_VERSION $beta," \
            "game $game): SFSE $sfse is not released for it yet"
elif [ $# -eq 2 ] && [ "${1#-}" = "$1" ]; then
    sfse="$1"
    game="$2"
else
    echo "$usage" >&2
    exit 2
fi

# The same bounds the build checks: each field fits the packed form.
for pair in "SFSE version:$sfse" "game build:$game"; do
    value="${pair#*:}"
    if [[ ! "$value" =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,4})$ ]] ||
        ((BASH_REMATCH[1] > 255 || BASH_REMATCH[2] > 255 || BASH_REMATCH[3] > 4094)); then
        refuse "${pair%%:*} '$value' is not major.minor.build (at most 255.255.4094)"
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# check_table TABLE ROWS: the table's rows, checked as the build checks them, into ROWS.
check_table() {
    cmake -DTABLE="$1" -DOUTPUT="$2" -P cmake/check_release_table.cmake >"$work/cmake.log" 2>&1 ||
        true
    awk '/^CMake Error/ { error = 1; next } error && (/^$/ || /^Call Stack/) { exit }
        error { sub(/^ +/, ""); print }' "$work/cmake.log"
}
failure="$(check_table "$table" "$work/rows")"
[ -s "$work/rows" ] || refuse "$table is not a table the build reads: $failure"
rows="$(<"$work/rows")"
newest_sfse="$(tail -n1 <<<"$rows" | cut -d' ' -f1)"
newest_game="$(tail -n1 <<<"$rows" | cut -d' ' -f2)"
older() { [ "$1" != "$2" ] && [ "$(printf '%s\n' "$1" "$2" | sort -V | head -n1)" = "$1" ]; }
own_game="$(awk -v sfse="$sfse" '$1 == sfse { print $2 }' <<<"$rows")"
if [ -n "$own_game" ]; then
    [ "$own_game" != "$game" ] || nothing_to_add "SFSE $sfse has a row already, for game $game"
    # Its neighbours' game builds bound the one it may change to.
    before="$(awk -v sfse="$sfse" '$1 == sfse { print last } { last = $2 }' <<<"$rows")"
    after="$(awk -v sfse="$sfse" 'found { print $2; exit } $1 == sfse { found = 1 }' <<<"$rows")"
    if [ -n "$before" ] && older "$game" "$before"; then
        refuse "game $game is older than $before, the game build of the row before SFSE $sfse's"
    fi
    if [ -n "$after" ] && older "$after" "$game"; then
        refuse "game $game is newer than $after, the game build of the row after SFSE $sfse's"
    fi
else
    older "$sfse" "$newest_sfse" &&
        refuse "SFSE $sfse is older than the newest row's, $newest_sfse: rows go oldest first"
    older "$game" "$newest_game" &&
        refuse "game $game is older than the newest row's, $newest_game (SFSE $newest_sfse):" \
            "check the game build"
fi

version="$(project_version)"
[ -n "$version" ] || refuse "CMakeLists.txt names no version in project()"
dll="sfse_${game//./_}.dll"
readme_row="| $sfse | $game | \`$dll\` | \`Tarnwick-<version>-SFSE-$sfse.zip\` |"

if [ -n "$own_game" ]; then
    awk -v sfse="$sfse" -v game="$game" '!/^[[:space:]]*#/ && $1 == sfse {
        printf "%-10s%s\n", sfse, game; next } { print }' "$table" >"$work/table"
    awk -v sfse="$sfse" -v row="$readme_row" 'index($0, "| " sfse " |") == 1 { print row; next }
        { print }' README.md >"$work/readme"
    entry="- The plugin for SFSE $sfse is for game $game, not $own_game."
    said="changed SFSE $sfse's row: game $own_game is now $game"
else
    printf '%-10s%s\n' "$sfse" "$game" | cat "$table" - >"$work/table"
    awk -v newest="$newest_sfse" -v row="$readme_row" '{ print }
        index($0, "| " newest " |") == 1 { print row }' README.md >"$work/readme"
    entry="- A plugin archive for SFSE $sfse, for game $game."
    said="added SFSE $sfse for game $game"
fi
grep -qxF "$readme_row" "$work/readme" || refuse "the README has no row of the table to follow"

# The entry goes first under "For players:" in Unreleased, which it makes where it is missing;
# a row added since the last release and changed now keeps the one entry that added it.
unreleased="$(sed -n '/^## Unreleased$/,/^## [0-9]/p' CHANGELOG.md)"
added="- A plugin archive for SFSE $sfse, for game ${own_game:-$game}."
if [ -n "$own_game" ] && grep -qxF -e "$added" <<<"$unreleased"; then
    entry="- A plugin archive for SFSE $sfse, for game $game."
    awk -v added="$added" -v entry="$entry" '$0 == added && !done { print entry; done = 1; next }
        { print }' CHANGELOG.md >"$work/changelog"
else
    awk -v entry="$entry" '
        /^## / { in_unreleased = ($0 == "## Unreleased") }
        in_unreleased && !done && /^For players:$/ { print; print entry; done = 1; next }
        in_unreleased && !done && (/^For developers:$/ || /^## [0-9]/) {
            print "For players:"; print entry; print ""; done = 1 }
        { print }
        END { if (!done) exit 1 }' CHANGELOG.md >"$work/changelog" ||
        refuse "CHANGELOG.md has no \"## Unreleased\" section"
fi

# A released version names its sources: a new row is the next minor release's.
cp CMakeLists.txt "$work/cmake"
if [ -n "$(release_heading "$version")" ]; then
    IFS=. read -r major minor _ <<<"$version"
    next="$major.$((minor + 1)).0"
    sed -i "s/^project(Tarnwick VERSION $version /project(Tarnwick VERSION $next /" "$work/cmake"
    said="$said; version $version is released, so the next is $next"
fi

failure="$(check_table "$work/table" "$work/new-rows")"
[ -s "$work/new-rows" ] || refuse "the new table would not build: $failure"
cp "$work/table" "$table"
cp "$work/readme" README.md
cp "$work/changelog" CHANGELOG.md
cp "$work/cmake" CMakeLists.txt
echo "add-sfse-release.sh: $said"
