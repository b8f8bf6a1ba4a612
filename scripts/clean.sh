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
# What root made there (a `make test` run as root) the developer cannot remove: say what to run
# rather than remove half of it.
if [ "$(id -u)" != 0 ]; then
    foreign="$(find build dist ! -user "$(id -u)" -print -quit 2>/dev/null || true)"
    if [ -n "$foreign" ]; then
        echo "make clean: $PWD/$foreign and more belong to another user (root, if a make test ran" \
            "as root); as root, run: rm -rf --one-file-system '$PWD/build' '$PWD/dist'" >&2
        exit 1
    fi
fi
rm -rf --one-file-system build dist
