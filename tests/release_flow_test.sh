#!/bin/bash
# A new SFSE release, from the one command that adds it to what the release workflow publishes,
# in a copy of the sources committed to a repository of its own: each refused input changes no
# file; the SFSE release after the table's newest added, for a later game build, and the sources
# marked as a release and committed, the workflow's script builds one more plugin archive and
# installer option, with BUILDINFO naming the release commit and the change log's entry as the
# release's text, and the release's version check passes; a later commit that leaves the version
# as it is fails it.
# Usage: release_flow_test.sh <source dir> <rows of sfse-releases.txt, as the build checked them>
set -euo pipefail
source_dir="$1"
read -r newest_sfse newest_game < <(tail -n1 "$2")
# The next build of a version, or another one moved by $2.
build_after() { awk -F. -v step="${2:-1}" '{ print $1 "." $2 "." $3 + step }' <<<"$1"; }
sfse="$(build_after "$newest_sfse")"
game="$(build_after "$newest_game" 6)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
copy="$work/tarnwick"
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$copy" -xf -
in_copy() { git -C "$copy" -c user.name=test -c user.email=test@localhost "$@"; }
in_copy init -q
in_copy add -A
in_copy commit -q -m sources
git init -q --bare "$work/origin.git"
in_copy remote add origin "$work/origin.git"
# SFSE's version header while it targets a beta of the game.
IFS=. read -r major minor beta <<<"$sfse"
printf '#define %s\t%s\n' SFSE_VERSION_INTEGER "$major" SFSE_VERSION_INTEGER_MINOR "$minor" \
    SFSE_VERSION_INTEGER_BETA "$beta" RUNTIME_VERSION_BETA "MAKE_EXE_VERSION(${game//./, })" \
    SFSE_TARGETING_BETA_VERSION 1 CURRENT_RELEASE_RUNTIME RUNTIME_VERSION_BETA \
    CURRENT_RELEASE_SFSE_STR "\"$sfse\"" >"$work/beta.h"

# Each row: the command's words, and what its refusal must name.
while IFS='|' read -r args reason; do
    # shellcheck disable=SC2086 # the row's words
    output="$("$copy/scripts/add-sfse-release.sh" $args 2>&1)" && fail "it added $args: $output"
    [[ "$output" == *"$reason"* ]] || fail "refusing $args, it does not name $reason: $output"
    [ -z "$(in_copy status --porcelain)" ] || fail "refusing $args, it changed files: $output"
    echo "refused $args: $output"
done <<ROWS
$sfse 1.16|not major.minor.build
$newest_sfse $newest_game|has a row already
$sfse $(build_after "$newest_game" -1)|older than the newest row's, $newest_game
0.0.1 $game|older than the newest row's, $newest_sfse
--header $work/beta.h|targets a beta
ROWS

"$copy/scripts/add-sfse-release.sh" "$sfse" "$game"
"$copy/scripts/mark-release.sh"
in_copy commit -q -am release
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u TARNWICK_SFSE_VERSION -u TARNWICK_GAME_VERSION \
    "$copy/scripts/prepare-release.sh" >"$work/prepare.log" 2>&1 ||
    fail "prepare-release.sh failed: $(tail -n 20 "$work/prepare.log")"
grep -qx "commit=$(in_copy rev-parse HEAD)" "$work/prepare.log" ||
    fail "prepare-release.sh did not prepare the release commit: $(tail -n 5 "$work/prepare.log")"
archives="$(printf '%s\n' "$copy"/dist/*-SFSE-*.zip | sed 's/.*-SFSE-//; s/\.zip$//' | sort -V)"
[ "$archives" = "$({ cut -d' ' -f1 "$2"; echo "$sfse"; } | sort -V)" ] ||
    fail "dist/ holds the plugin archives for ${archives//$'\n'/ }"
unzip -p "$copy"/dist/*-installer-*.zip fomod/ModuleConfig.xml |
    grep -qF "<plugin name=\"SFSE $sfse, for game $game\">" ||
    fail "the installer lists no SFSE $sfse"
grep -qxF -- "- A plugin archive for SFSE $sfse, for game $game." \
    "$copy/build/release-notes.md" ||
    fail "the release's text is not the change log's entry"

# shellcheck source=../scripts/release-sources.sh
version="$(cd "$copy" && source scripts/release-sources.sh && project_version)"
date="$(sed -n 's/^set(TARNWICK_RELEASE_DATE \(.*\))$/\1/p' "$copy/CMakeLists.txt")"
check_version() {
    bash "$source_dir/tests/release_version_test.sh" "$copy/CHANGELOG.md" "$version" "$date" \
        "$copy/README.md" "$copy/build/release/sfse-rows.txt"
}
check_version || fail "the release's version check fails"
echo >>"$copy/README.md"
in_copy commit -q -am "after the release"
output="$(check_version)" && fail "a commit after release $version passed: $output"
failure="$(tail -n1 <<<"$output")"
echo "after the release, a commit that leaves version $version fails the check: ${failure#FAIL: }"
