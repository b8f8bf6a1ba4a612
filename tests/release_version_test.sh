#!/bin/bash
# One version names one set of sources. Once CHANGELOG.md lists a version as released, the
# sources that follow it, with entries under "Unreleased", must carry another version; and a
# released version's archives carry the release's date.
# Usage: release_version_test.sh <CHANGELOG.md> <version> <release date>
set -euo pipefail
changelog="$1"
version="$2"
date="$3"
fail() {
    echo "FAIL: $*"
    exit 1
}
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
