#!/bin/bash
# Builds the release again from a copy of the sources in another folder, under another umask and
# time zone, and compares it byte for byte with this build's: the plugin and the archive must
# depend on nothing but the sources and the toolchain.
# Usage: reproducible_build_test.sh <source dir> <build dir> <toolchain file> <archive name>
#        [the build's own settings, as -DNAME=VALUE...]
set -euo pipefail
source_dir="$1"
build_dir="$2"
toolchain="$3"
archive="$4"

work="$(mktemp -d /tmp/tarnwick-rebuild-XXXXXXXX)"
trap 'rm -rf "$work"' EXIT
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$work" -xf -
(
    umask 077
    export TZ=Pacific/Chatham
    cmake -S "$work" -B "$work/out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release "${@:5}" >/dev/null
    cmake --build "$work/out" --target Tarnwick release_archive >/dev/null
)
status=0
for file in bin/Tarnwick.dll "$archive"; do
    if cmp "$build_dir/$file" "$work/out/$file"; then
        echo "identical: $file $(sha256sum <"$build_dir/$file" | cut -d' ' -f1)"
    else
        echo "FAIL: $file differs between $build_dir and $work/out"
        status=1
    fi
done
exit $status
