#!/bin/bash
# `make clean`: removes build/ and dist/. Refuses while anything is mounted below build/: rm does
# not cross into another file system, but a bind mount of the same one would not stop it, and it
# would delete what the mount shows.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build="$PWD/build"
# Mount points as the kernel lists them, with a space and other such characters as octal escapes.
while read -r _ _ _ _ point _; do
    point="$(printf '%b' "${point//\\/\\0}")"
    if [ "$point" = "$build" ] || [ "${point#"$build/"}" != "$point" ]; then
        echo "make clean: $point is mounted; unmount it first, nothing was removed" >&2
        exit 1
    fi
done </proc/self/mountinfo
rm -rf --one-file-system build dist
