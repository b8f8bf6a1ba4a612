#!/bin/bash
# Runs the README's test command, `make test`, as a newcomer would on a fresh minimal Debian of
# the given release: debootstrap a root into build/debian-<release>, install git and make there,
# clone this checkout's HEAD into it and run `make test` inside, which installs the rest. Every
# mount it makes is removed when it ends, also when a step fails. As root.
# Usage: test-in-debian.sh <release, e.g. trixie>
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
release="$1"
root="$PWD/build/debian-$release"

mounts=(proc dev dev/pts)
# The innermost first.
unmount_all() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        if mountpoint -q "$root/${mounts[i]}"; then
            umount "$root/${mounts[i]}" || umount --lazy "$root/${mounts[i]}"
        fi
    done
}
# A run that was killed may have left its mounts: none may stay under a root removed below.
unmount_all
trap unmount_all EXIT

command -v debootstrap >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends debootstrap; }
rm -rf --one-file-system "$root"
mkdir -p "$root"
debootstrap --variant=minbase "$release" "$root" http://deb.debian.org/debian >"$root.log" ||
    { tail -n 20 "$root.log"; exit 1; }
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
git clone -q "$PWD" "$root/src/tarnwick"

# A clean environment, as a new login's, but for the warnings setting.
# shellcheck disable=SC2016 # the command's variables expand inside the root
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    TARNWICK_WERROR="${TARNWICK_WERROR:-}" bash -c '
        set -e
        echo "Debian $(cat /etc/debian_version): installing git and make"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git make \
            >/dev/null
        cd /src/tarnwick
        make test'
