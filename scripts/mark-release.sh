#!/bin/bash
# Makes the sources a release: the entries under "Unreleased" in CHANGELOG.md become those of
# `## <version> (<date>)`, under an empty "Unreleased", and TARNWICK_RELEASE_DATE in
# CMakeLists.txt becomes that date. The commit of these two changes is the release. Refuses, and
# changes nothing, where the version is released already or nothing stands under "Unreleased".
# Usage: mark-release.sh [<date, YYYY-MM-DD; today in UTC by default>]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=release-sources.sh
source scripts/release-sources.sh
refuse() {
    echo "mark-release.sh: $*; nothing was changed" >&2
    exit 1
}
date="${1:-$(date -u +%F)}"
[[ "$date" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] || refuse "'$date' is not a date YYYY-MM-DD"
version="$(project_version)"
[ -n "$version" ] || refuse "CMakeLists.txt names no version in project()"
[ -z "$(release_heading "$version")" ] ||
    refuse "version $version is released already: bump VERSION in CMakeLists.txt first"
unreleased="$(sed -n '/^## Unreleased$/,/^## [0-9]/p' CHANGELOG.md)"
grep -q '^- ' <<<"$unreleased" || refuse "nothing stands under \"Unreleased\" in CHANGELOG.md"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
awk -v heading="## $version ($date)" '
    $0 == "## Unreleased" && !done { print; print ""; print heading; done = 1; next }
    { print }' CHANGELOG.md >"$work/changelog"
sed "s/^set(TARNWICK_RELEASE_DATE [0-9-]*)$/set(TARNWICK_RELEASE_DATE $date)/" CMakeLists.txt \
    >"$work/cmake"
grep -q "^set(TARNWICK_RELEASE_DATE $date)$" "$work/cmake" ||
    refuse "CMakeLists.txt has no line set(TARNWICK_RELEASE_DATE <date>)"
cp "$work/changelog" CHANGELOG.md
cp "$work/cmake" CMakeLists.txt
echo "mark-release.sh: version $version is the release of $date; commit CHANGELOG.md and" \
    "CMakeLists.txt, and that commit is the release"
