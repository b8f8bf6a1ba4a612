#!/bin/bash
# `make clean` in a copy of the checkout: with nothing mounted below build/ it removes build/ and
# dist/; with a folder bound below build/, in a mount namespace of the test's own, it refuses and
# the bound folder's files stay. Skipped, with the reason, where that namespace cannot be made.
# Usage: clean_test.sh <clean.sh>
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf --one-file-system "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
if ! unshare --mount --propagation private true 2>/dev/null; then
    echo "SKIPPED: clean: no mount namespace can be made here (it needs root)"
    exit 77
fi

# A checkout with build/ and dist/; prints the output and exit code of clean.sh in a mount
# namespace where $1, if set, is bound to build/mounted.
clean_with_mount() {
    rm -rf "$work/checkout"
    mkdir -p "$work/checkout/scripts" "$work/checkout/build/mounted" "$work/checkout/dist" \
        "$work/elsewhere"
    cp "$clean" "$work/checkout/scripts/"
    echo kept >"$work/elsewhere/file"
    # shellcheck disable=SC2016 # expands in the namespace's shell
    unshare --mount --propagation private bash -c '
        [ -z "$1" ] || mount --bind "$1" "$2/build/mounted"
        status=0
        "$2/scripts/clean.sh" 2>&1 || status=$?
        echo "exit $status"' clean "$1" "$work/checkout"
}

clean="$1"
out="$(clean_with_mount "")"
[ "$out" = "exit 0" ] || fail "with nothing mounted: $out"
if [ -e "$work/checkout/build" ] || [ -e "$work/checkout/dist" ]; then
    fail "with nothing mounted, build/ or dist/ is still there"
fi

out="$(clean_with_mount "$work/elsewhere")"
[ "$out" = "make clean: $work/checkout/build/mounted is mounted; unmount it first, nothing was removed"$'\n'"exit 1" ] ||
    fail "with a folder bound below build/: $out"
[ "$(cat "$work/elsewhere/file")" = kept ] || fail "the bound folder's file is gone"
[ -d "$work/checkout/dist" ] || fail "dist/ was removed although clean refused"
echo "clean: removes build/ and dist/; refuses, and keeps the bound folder's files, while a folder is bound below build/"
