#!/bin/bash
# Prints what built a release: the sources, by their commit, and the system and exact versions of
# the Debian packages that turn them into the plugin and its archive. The same sources give the
# same bytes only with the same toolchain.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
# Only a checkout of its own names the sources: a copy that lies inside another repository is
# not that repository's commit. In a checkout, whatever git refuses (a checkout another user
# owns, say) is an error with git's own words, never a BUILDINFO without its commit.
if [ -e "$source_dir/.git" ]; then
    toplevel="$(git -C "$source_dir" rev-parse --show-toplevel)" ||
        { echo "buildinfo.sh: git cannot read the checkout $source_dir" >&2; exit 1; }
    [ "$toplevel" = "$source_dir" ] ||
        { echo "buildinfo.sh: $source_dir/.git is not the checkout's own" >&2; exit 1; }
    commit="$(git -C "$source_dir" rev-parse --verify -q HEAD)" || commit="none yet"
    state="clean"
    [ -z "$(git -C "$source_dir" status --porcelain)" ] || state="with uncommitted changes"
    echo "source: commit $commit, $state"
else
    echo "source: not a git checkout, so no commit to name"
fi
echo "system: Debian $(cat /etc/debian_version) $(dpkg --print-architecture)"
dpkg-query -W -f='${Package} ${Version}\n' \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    mingw-w64-x86-64-dev mingw-w64-common cmake ninja-build zip make
