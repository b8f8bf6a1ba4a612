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
