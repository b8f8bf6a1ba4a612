#!/bin/bash
# Everything of publishing a release but the upload, for the release workflow and its test. Where
# HEAD is the commit that released the version in CMakeLists.txt and no tag v<version> exists on
# origin yet, builds the release with `make release`, checks that dist/BUILDINFO names that very
# commit with a clean tree, and writes the change log's entry for it to build/release-notes.md.
# It prints, and where GITHUB_OUTPUT names a file writes there, "publish=true" with the version,
# the tag and the commit; otherwise "publish=false" and why. Fails where the history or the
# build is not what a release needs.
# Usage: prepare-release.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=release-sources.sh
source scripts/release-sources.sh
fail() {
    echo "prepare-release.sh: $*" >&2
    exit 1
}
say() {
    printf '%s\n' "$@"
    [ -z "${GITHUB_OUTPUT:-}" ] || printf '%s\n' "$@" >>"$GITHUB_OUTPUT"
}

[ "$(git rev-parse --is-shallow-repository)" = false ] ||
    fail "the checkout is shallow: fetch the whole history, which tells the release commit"
version="$(project_version)"
heading="$(release_heading "$version")"
if [ -z "$heading" ]; then
    say publish=false "reason=version $version is not released yet"
    exit 0
fi
tag="v$version"
release_commit="$(git log --format=%H -S"$heading" -- CHANGELOG.md | tail -n1)"
head_commit="$(git rev-parse HEAD)"
[ "$release_commit" = "$head_commit" ] ||
    fail "HEAD $head_commit is not the commit that released $version, $release_commit"
status=0
git ls-remote --exit-code --tags origin "refs/tags/$tag" >/dev/null || status=$?
case $status in
0)
    say publish=false "reason=$tag is published already"
    exit 0
    ;;
2) ;; # no such tag
*) fail "origin did not list its tags (git ls-remote ended with $status)" ;;
esac

make release
buildinfo_source="$(sed -n 1p dist/BUILDINFO)"
[ "$buildinfo_source" = "source: commit $head_commit, clean" ] ||
    fail "dist/BUILDINFO should name commit $head_commit, clean; it says: $buildinfo_source"
awk -v heading="$heading" '$0 == heading { keep = 1; next } keep && /^## / { exit } keep' \
    CHANGELOG.md >build/release-notes.md
say publish=true "version=$version" "tag=$tag" "commit=$head_commit" \
    "notes=build/release-notes.md"
