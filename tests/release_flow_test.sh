#!/bin/bash
# A new SFSE release, from the one command that adds it to what the release workflow publishes,
# in a copy of the sources committed to a repository of its own: each refused input changes no
# file; SFSE 0.2.22 for game 1.16.250 added, and the sources marked as a release and committed,
# the workflow's script builds a fifth plugin archive and a fifth installer option, with
# BUILDINFO naming the release commit and the change log's entry as the release's text, and the
# release's version check passes; a later commit that leaves the version as it is fails it.
# Usage: release_flow_test.sh <source dir>
set -euo pipefail
source_dir="$1"
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
printf '#define %s\t%s\n' SFSE_VERSION_INTEGER 0 SFSE_VERSION_INTEGER_MINOR 2 \
    SFSE_VERSION_INTEGER_BETA 22 RUNTIME_VERSION_1_16_248 'MAKE_EXE_VERSION(1, 16, 248)' \
    SFSE_TARGETING_BETA_VERSION 1 CURRENT_RELEASE_RUNTIME RUNTIME_VERSION_1_16_248 \
    CURRENT_RELEASE_SFSE_STR '"0.2.22"' >"$work/beta.h"

# Each row: the command's words, and what its refusal must name.
while IFS='|' read -r args reason; do
    # shellcheck disable=SC2086 # the row's words
    output="$("$copy/scripts/add-sfse-release.sh" $args 2>&1)" && fail "it added $args: $output"
    [[ "$output" == *"$reason"* ]] || fail "refusing $args, it does not name $reason: $output"
    [ -z "$(in_copy status --porcelain)" ] || fail "refusing $args, it changed files: $output"
    echo "refused $args: $output"
done <<ROWS
0.2.22 1.16|not major.minor.build
0.2.21 1.16.244|has a row already
0.2.22 1.16.200|older than the newest row's, 1.16.244
0.2.15 1.16.250|older than the newest row's, 0.2.21
--header $work/beta.h|targets a beta
ROWS

"$copy/scripts/add-sfse-release.sh" 0.2.22 1.16.250
"$copy/scripts/mark-release.sh"
in_copy commit -q -am release
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u TARNWICK_SFSE_VERSION -u TARNWICK_GAME_VERSION \
    "$copy/scripts/prepare-release.sh" >"$work/prepare.log" 2>&1 ||
    fail "prepare-release.sh failed: $(tail -n 20 "$work/prepare.log")"
grep -qx "commit=$(in_copy rev-parse HEAD)" "$work/prepare.log" ||
    fail "prepare-release.sh did not prepare the release commit: $(tail -n 5 "$work/prepare.log")"
archives="$(printf '%s\n' "$copy"/dist/*-SFSE-*.zip | sed 's/.*-SFSE-//' | paste -sd' ')"
[ "$archives" = "0.2.18.zip 0.2.19.zip 0.2.20.zip 0.2.21.zip 0.2.22.zip" ] ||
    fail "dist/ holds the plugin archives for $archives"
unzip -p "$copy"/dist/*-installer-*.zip fomod/ModuleConfig.xml |
    grep -q '<plugin name="SFSE 0.2.22, for game 1.16.250">' ||
    fail "the installer lists no SFSE 0.2.22"
grep -q -- '- A plugin archive for SFSE 0.2.22, for game 1.16.250.' \
    "$copy/build/release-notes.md" ||
    fail "the release's text is not the change log's entry"

version="$(sed -n 's/^project(Tarnwick VERSION \([0-9.]*\) .*/\1/p' "$copy/CMakeLists.txt")"
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
