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
    nodejs
    npm
)
# Node.js runs the workflows' lint, and Vortex's FOMOD engine, which checks the installer archive
# where glibc is 2.38 and Node.js 20 (Debian 13); on Debian 12 that test says it is skipped.
[ "${1:-}" = release ] || packages+=("${test_packages[@]}")

missing=()
for package in "${packages[@]}"; do
    # A Node.js from elsewhere, which brings its own npm, serves as well as Debian's, with which
    # it would conflict.
    case "$package" in
    nodejs) command -v node >/dev/null && continue ;;
    npm) command -v npm >/dev/null && continue ;;
    esac
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

command=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. As root, run:" >&2
    echo "    apt-get update && ${command[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
"${command[@]}"
