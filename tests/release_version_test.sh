#!/bin/bash
# One version names one set of sources. Once CHANGELOG.md lists a version as released, the
# sources that follow it, with entries under "Unreleased", must carry another version; and a
# released version's archives carry the release's date. The release is one commit, the one that
# wrote its heading: in a checkout, no later commit may change a file while the version is still
# that release's. The README's table of SFSE releases,
# which players who install by hand read, lists exactly the rows of sfse-releases.txt.
# Usage: release_version_test.sh <CHANGELOG.md> <version> <release date> <README.md>
#        <rows of sfse-releases.txt, as the build checked them>
set -euo pipefail
changelog="$1"
version="$2"
date="$3"
fail() {
    echo "FAIL: $*"
    exit 1
}
readme_rows="$(sed -n '/^## Which SFSE you have/,/^#/p' "$4" | awk -F' *[|] *' '
    $2 ~ /^[0-9]/ { print $2, $3, $4, $5 }')"
table_rows="$(awk '{
    dll = $2; gsub(/\./, "_", dll)
    printf "%s %s `sfse_%s.dll` `Tarnwick-<version>-SFSE-%s.zip`\n", $1, $2, dll, $1 }' "$5")"
[ "$readme_rows" = "$table_rows" ] || fail "the README's table of SFSE releases reads:" \
    $'\n'"$readme_rows"$'\n'"sfse-releases.txt asks for:"$'\n'"$table_rows"
echo "the README's table lists the $(wc -l <<<"$table_rows") rows of sfse-releases.txt"
unreleased="$(sed -n '/^## Unreleased/,/^## [0-9]/p' "$changelog" | grep -c '^- ' || true)"
released="$(grep -m1 "^## ${version//./\\.} " "$changelog" || true)"
if [ -z "$released" ]; then
    echo "version $version is not released yet; $unreleased entries under Unreleased"
    exit 0
fi
[ "$unreleased" -eq 0 ] || fail "version $version is released, yet $unreleased entries under" \
    "Unreleased say these sources are not it: bump VERSION in CMakeLists.txt"
[ "$released" = "## $version ($date)" ] ||
    fail "TARNWICK_RELEASE_DATE $date is not the release's date: $released"
echo "version $version is the release of $date, with nothing under Unreleased"
repo="$(cd "$(dirname "$changelog")" && pwd -P)"
if [ "$(git -C "$repo" rev-parse --show-toplevel 2>/dev/null)" != "$repo" ]; then
    echo "not a git checkout: which commit released $version is not checked"
    exit 0
fi
release_commit="$(git -C "$repo" log --format=%H -S"$released" -- CHANGELOG.md | tail -n1)"
if [ -z "$release_commit" ]; then
    echo "the release of $version is not committed yet"
    exit 0
fi
changed="$(git -C "$repo" diff --name-only "$release_commit" HEAD)"
[ -z "$changed" ] || fail "commit $release_commit released $version, and later commits changed" \
    "${changed//$'\n'/, } with the version unchanged: bump VERSION in CMakeLists.txt and add" \
    "an entry under Unreleased"
echo "commit $release_commit released $version, and no later commit changed a file"
