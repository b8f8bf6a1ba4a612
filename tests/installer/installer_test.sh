#!/bin/bash
# The installer archive in Vortex's FOMOD engine (installer_test.js). The engine is the npm
# package in package.json, at the version package-lock.json pins, which `installer_test.sh
# --install` puts into <engine folder> before the tests run (`make test` does), so that a slow
# registry never reads as a failed test. It needs glibc 2.38 and Node 20: where either is missing
# the test says so and is skipped (exit code 77), and --install installs nothing; unless
# TARNWICK_REQUIRE_INSTALLER_ENGINE is set, as in the Debian 13 root that CI runs, where that is
# a failure.
# Usage: installer_test.sh <installer archive> <rows of sfse-releases.txt> <engine folder> <version>
#        installer_test.sh --install <engine folder>
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
install=""
[ "$1" != --install ] || { install=1; shift; set -- "" "" "$1"; }
archive="$1"
table="$2"
engine="$3"
version="${4:-}"

skip() {
    [ -z "$install" ] || exit 0
    if [ -n "${TARNWICK_REQUIRE_INSTALLER_ENGINE:-}" ]; then
        echo "FAIL: Vortex's FOMOD engine cannot run here: $*"
        exit 1
    fi
    echo "SKIPPED: installer_engine: Vortex's FOMOD engine cannot run here: $*"
    exit 77
}
glibc="$(getconf GNU_LIBC_VERSION | awk '{ print $2 }')"
[ "$(printf '%s\n' 2.38 "$glibc" | sort -V | head -n1)" = 2.38 ] ||
    skip "it needs glibc 2.38, this system has $glibc (Debian 13 has it)"
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    skip "it needs Node.js 20 and npm, and they are not installed"
fi
node_major="$(node -p 'process.versions.node.split(".")[0]')"
[ "$node_major" -ge 20 ] || skip "it needs Node.js 20, this system has $(node --version)"

if [ -n "$install" ]; then
    # The package asks for Node 22 but loads on 20.
    exec "$here/../../scripts/npm-install.sh" "$here" "$engine" --engine-strict=false
fi
cmp -s "$here/package-lock.json" "$engine/package-lock.json" ||
    { echo "FAIL: the engine is not installed in $engine: run installer_test.sh --install"; exit 1; }
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked"
# The engine's N-API module loads its library by name.
LD_LIBRARY_PATH="$engine/node_modules/@nexusmods/fomod-installer-native/prebuilds/linux-x64" \
    node "$here/installer_test.js" "$engine" "$unpacked" "$table" "$version"
