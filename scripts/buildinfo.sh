#!/bin/bash
# Prints what built a release: the system and the exact versions of the Debian packages that turn
# the sources into the plugin and its archive. The same sources give the same bytes only with
# the same toolchain.
set -euo pipefail
echo "system: Debian $(cat /etc/debian_version) $(dpkg --print-architecture)"
dpkg-query -W -f='${Package} ${Version}\n' \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    mingw-w64-x86-64-dev mingw-w64-common cmake ninja-build zip make
