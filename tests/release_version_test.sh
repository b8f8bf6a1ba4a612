#!/bin/bash
# One version names one set of sources. Once CHANGELOG.md lists a version as released, the
# sources that follow it, with entries under "Unreleased", must carry another version; and a
# released version's archives carry the release's date. The README's table of SFSE releases,
# which players who install by hand read, lists exactly the rows of sfse-releases.txt.
# Usage: release_version_test.sh <CHANGELOG.md> <version> <release date> <README.md>
#        <sfse-releases.txt>
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
table_rows="$(grep -v '^#' "$5" | awk 'NF {
    dll = $2; gsub(/\./, "_", dll)
    printf "%s %s `sfse_%s.dll` `Tarnwick-<version>-SFSE-%s.zip`\n", $1, $2, dll, $1 }')"
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
