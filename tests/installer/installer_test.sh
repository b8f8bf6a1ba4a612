#!/bin/bash
# The installer archive in Vortex's FOMOD engine (installer_test.js). The engine is the npm
# package in package.json, at the version package-lock.json pins, installed into <engine folder>
# without its build script. It needs glibc 2.38 and Node 20: where either is missing the test says
# so and is skipped (exit code 77), unless TARNWICK_REQUIRE_INSTALLER_ENGINE is set, as in the
# Debian 13 root that CI runs, where that is a failure.
# Usage: installer_test.sh <installer archive> <sfse-releases.txt> <engine folder> <version>
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
archive="$1"
table="$2"
engine="$3"
version="$4"

skip() {
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

# Installed again only when the pinned versions change.
if ! cmp -s "$here/package-lock.json" "$engine/package-lock.json" ||
    [ ! -d "$engine/node_modules" ]; then
    rm -rf "$engine"
    mkdir -p "$engine"
    cp "$here/package.json" "$here/package-lock.json" "$engine/"
    # The package asks for Node 22 but loads on 20; its install script would build it anew.
    npm ci --prefix "$engine" --ignore-scripts --no-audit --no-fund --loglevel=error \
        --engine-strict=false
fi
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked"
# The engine's N-API module loads its library by name.
LD_LIBRARY_PATH="$engine/node_modules/@nexusmods/fomod-installer-native/prebuilds/linux-x64" \
    node "$here/installer_test.js" "$engine" "$unpacked" "$table" "$version"
