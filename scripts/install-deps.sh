#!/bin/bash
# Installs what building, running and testing Tarnwick needs, and nothing that is already
# there. As root it installs through apt-get; otherwise it prints the command to run.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64-posix
    wine
    xvfb
    xauth
    xdotool
    procps
    imagemagick
    fonts-wine
    cmake
    ninja-build
    googletest
    clang
    lld
    zip
    unzip
    make
    git
    shellcheck
    clang-format
)
# Vortex's FOMOD engine, which checks the installer archive, needs glibc 2.38 and Node.js 20:
# Debian 13 has both. Debian 12 has neither, and there the test says it is skipped.
glibc="$(getconf GNU_LIBC_VERSION | awk '{ print $2 }')"
if [ "$(printf '%s\n' 2.38 "$glibc" | sort -V | head -n1)" = 2.38 ]; then
    packages+=(nodejs npm)
fi

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
