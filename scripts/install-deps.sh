#!/bin/bash
# Installs what Tarnwick needs, and nothing that is already there: with `release`, only what
# builds the release in dist/ (the toolchain that BUILDINFO names, and git, which names the
# commit); otherwise also what runs and tests it. As root it installs through apt-get; otherwise
# it prints the command to run.
# Usage: install-deps.sh [release]
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64-posix
    cmake
    ninja-build
    zip
    make
    git
)
test_packages=(
    wine
    xvfb
    xauth
    xdotool
    procps
    imagemagick
    fonts-wine
    googletest
    clang
    lld
    unzip
    shellcheck
    clang-format
)
# Vortex's FOMOD engine, which checks the installer archive, needs glibc 2.38 and Node.js 20:
# Debian 13 has both. Debian 12 has neither, and there the test says it is skipped.
glibc="$(getconf GNU_LIBC_VERSION | awk '{ print $2 }')"
if [ "$(printf '%s\n' 2.38 "$glibc" | sort -V | head -n1)" = 2.38 ]; then
    test_packages+=(nodejs npm)
fi
[ "${1:-}" = release ] || packages+=("${test_packages[@]}")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. As root, run:" >&2
    echo "    apt-get update && $command" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$command
