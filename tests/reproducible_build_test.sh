#!/bin/bash
# Builds the release again through the Makefile's front door, `make release`, from a copy of the
# sources in a folder whose path has spaces and parentheses, as players' and contributors' folders
# do, under another umask and time zone. Compares it byte for byte with this build's, and checks
# the rebuild's SHA256SUMS: the release must depend on nothing but the sources and the toolchain.
# Usage: reproducible_build_test.sh <source dir> <build dir> <preset>
#        [the build's own settings, as NAME=VALUE...]
set -euo pipefail
source_dir="$1"
build_dir="$2"
preset="$3"

work="$(mktemp -d /tmp/tarnwick-rebuild-XXXXXXXX)"
trap 'rm -rf "$work"' EXIT
# The copy is no checkout, though it lies inside another repository, as an unpacked source
# archive may: its BUILDINFO must say so rather than name that repository's commit.
git -C "$work" init -q
git -C "$work" -c user.name=rebuild -c user.email=rebuild@localhost commit -q --allow-empty -m outer
copy="$work/Program Files (x86)/tarnwick"
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$copy" -xf -
# The rebuild answers to its own command line only, not to the make that may have started ctest.
if ! (
    umask 077
    export TZ=Pacific/Chatham
    env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL \
        make -C "$copy" release PRESET="$preset" DIST=dist "${@:4}" >"$work/make.log" 2>&1
); then
    echo "FAIL: make release failed in $copy:"
    tail -n 20 "$work/make.log"
    exit 1
fi
status=0
# Everything the rebuild put in dist/ but its two records is a file this build made too: the
# archives. A file that names no SFSE, such as a loose plugin, has no twin here.
for rebuilt in "$copy/dist/"*; do
    file="$(basename "$rebuilt")"
    [ "$file" = BUILDINFO ] || [ "$file" = SHA256SUMS ] && continue
    if cmp "$build_dir/$file" "$rebuilt"; then
        echo "identical: $file $(sha256sum <"$rebuilt" | cut -d' ' -f1)"
    else
        echo "FAIL: $file differs between $build_dir and the rebuild in $copy"
        status=1
    fi
done
grep -q '^source: not a git checkout' "$copy/dist/BUILDINFO" ||
    { echo "FAIL: the rebuild's BUILDINFO names a commit: $(head -n 1 "$copy/dist/BUILDINFO")"; status=1; }
(cd "$copy/dist" && sha256sum --check --quiet SHA256SUMS) ||
    { echo "FAIL: the rebuild's SHA256SUMS does not match its files"; status=1; }
# A checkout of its own names its commit, and whether its tree had changes.
git -C "$copy" init -q
git -C "$copy" add -A
git -C "$copy" -c user.name=rebuild -c user.email=rebuild@localhost commit -q -m copy
for state in clean "with uncommitted changes"; do
    [ "$state" = clean ] || echo >>"$copy/README.md"
    source_line="$(bash "$copy/scripts/buildinfo.sh" | sed -n 1p)"
    [ "$source_line" = "source: commit $(git -C "$copy" rev-parse HEAD), $state" ] ||
        { echo "FAIL: BUILDINFO should say $state, it says: $source_line"; status=1; }
done
# A checkout that git cannot read is an error, not a build from no checkout.
echo garbage >"$copy/.git/HEAD"
! source_line="$(bash "$copy/scripts/buildinfo.sh" 2>/dev/null | sed -n 1p)" ||
    { echo "FAIL: BUILDINFO of a broken checkout says: $source_line"; status=1; }
exit $status
