#!/bin/bash
# Runs the README's test command, `make test`, as a newcomer would on a fresh minimal Debian of
# the given release: debootstrap a root (from debootstrap's default mirror), install git and
# make there, clone this checkout's HEAD into it and run `make test` inside, which installs the
# rest. As root.
#
# The root lies outside the checkout, in /var/lib/tarnwick/debian-<release>, where only root can
# create it, unless TARNWICK_DEBIAN_ROOT names another folder; so `make clean` never meets it. The
# script marks each root it makes, and removes or reuses only a folder with its mark, or an empty
# one: it refuses any other, which may be someone's data. One run at a time may use a root: a
# second one stops at once. Every mount is made in a mount namespace of the
# script's own, which nothing outside sees and which ends with the script, however it ends, so no
# mount outlives it. The machine's own certificate authorities and npm settings go into the root,
# so that npm there reaches the registry as it does here.
# Usage: test-in-debian.sh <release, e.g. trixie>
set -euo pipefail
self="$(realpath "${BASH_SOURCE[0]}")"
cd "$(dirname "$self")/.."
release="$1"
root="${TARNWICK_DEBIAN_ROOT:-/var/lib/tarnwick/debian-$release}"
mark=".made-by-tarnwick-test-in-debian"

if [ -z "${TARNWICK_IN_MOUNT_NAMESPACE:-}" ]; then
    mkdir -p "$(dirname "$root")"
    # Held by this run and everything it starts, until the last of them ends.
    exec 9>"$root.lock"
    flock --nonblock 9 || { echo "test-in-debian.sh: another run is using $root" >&2; exit 1; }
    TARNWICK_IN_MOUNT_NAMESPACE=1 exec unshare --mount --propagation private "$self" "$@"
fi

command -v debootstrap >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends debootstrap; }
if [ -L "$root" ] || { [ -e "$root" ] && [ ! -d "$root" ]; }; then
    echo "test-in-debian.sh: $root is not a folder; nothing was removed" >&2
    exit 1
fi
if [ -d "$root" ] && [ ! -f "$root/$mark" ] && [ -n "$(ls -A "$root")" ]; then
    echo "test-in-debian.sh: $root holds files, and not a root this script made (it has no" \
        "$mark); nothing was removed. Empty or remove it yourself, or name another folder" \
        "in TARNWICK_DEBIAN_ROOT" >&2
    exit 1
fi
# What a killed run left mounted went with its namespace.
rm -rf --one-file-system "$root"
mkdir -p "$root"
touch "$root/$mark"
debootstrap --variant=minbase "$release" "$root" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
# The root a mount point of its own, so that inside it, as on a machine, / is one: a test there
# may make a mount namespace, which needs to change the propagation of /.
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
if [ -d /usr/local/share/ca-certificates ]; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
fi
[ ! -f /etc/npmrc ] || cp /etc/npmrc "$root/etc/npmrc"
git clone -q "$PWD" "$root/src/tarnwick"

# A clean environment, as a new login's, but for the warnings setting and whether the installer's
# engine test may be skipped.
# shellcheck disable=SC2016 # the command's variables expand inside the root
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    TARNWICK_WERROR="${TARNWICK_WERROR:-}" \
    TARNWICK_REQUIRE_INSTALLER_ENGINE="${TARNWICK_REQUIRE_INSTALLER_ENGINE:-}" \
    NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt bash -c '
        set -e
        echo "Debian $(cat /etc/debian_version): installing git and make"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git make \
            ca-certificates >/dev/null
        cd /src/tarnwick
        make test'
