#!/bin/bash
# Runs the README's test command, `make test`, as a newcomer would on a fresh minimal Debian of
# the given release: debootstrap a root (from debootstrap's default mirror), clone this
# checkout's HEAD into it, install as root what the project needs (git and make, then
# scripts/install-deps.sh), and run first `make release`, which must bring in no test package,
# then `make test`, both as an unprivileged user of the root's own. As root.
#
# Everything is checked before anything is made: the release's name; the folder, resolved to an
# absolute path from the caller's folder, outside the checkout; that it is no link, and that it
# is empty or a root this script made (it marks each one); and that its parent is a folder only
# root can write, so that nobody can swap the folder for a link meanwhile. Any other folder may
# be someone's data: it is refused, named, and nothing is changed. Only then come the lock (one
# run at a time uses a root), the namespaces and debootstrap. Every mount lies in a mount
# namespace of the script's own, which ends with it, however it ends; the root gets a PID
# namespace of its own, so that no process inside sees the machine's, and a /dev with only the
# devices a build and Wine use. The machine's own certificate authorities and npm settings go
# into the root, so that npm there reaches the registry as it does here.
# Usage: test-in-debian.sh <Debian release, e.g. trixie>
#        (TARNWICK_DEBIAN_ROOT names the folder; /var/lib/tarnwick/debian-<release> by default)
set -euo pipefail
self="$(realpath "${BASH_SOURCE[0]}")"
checkout="$(dirname "$(dirname "$self")")"
mark=".made-by-tarnwick-test-in-debian"
refuse() {
    echo "test-in-debian.sh: $*; nothing was changed" >&2
    exit 1
}
if [ $# -ne 1 ]; then
    echo "usage: test-in-debian.sh <Debian release, e.g. trixie>" >&2
    exit 2
fi
release="$1"
[[ "$release" =~ ^[a-z]+$ ]] || refuse "'$release' is not the name of a Debian release"
root="$(realpath -m -s -- "${TARNWICK_DEBIAN_ROOT:-/var/lib/tarnwick/debian-$release}")"
parent="$(dirname "$root")"
case "$root/" in
"$checkout"/*) refuse "$root lies inside the checkout, which make clean removes" ;;
esac
[ ! -L "$root" ] || refuse "$root is a link"
[ "$(realpath -m -- "$root")" = "$root" ] || refuse "the path $root goes through a link"
[ ! -e "$root" ] || [ -d "$root" ] || refuse "$root is not a folder"
if [ -d "$root" ] && [ ! -f "$root/$mark" ] && [ -n "$(ls -A "$root")" ]; then
    refuse "$root holds files, and not a root this script made (it has no $mark): empty or" \
        "remove it yourself, or name another folder in TARNWICK_DEBIAN_ROOT"
fi
# The nearest folder that exists is the one that must be root's alone; the rest is made below.
existing="$parent"
while [ ! -e "$existing" ]; do existing="$(dirname "$existing")"; done
if [ ! -d "$existing" ] || [ -L "$existing" ] || [ "$(stat -c %u "$existing")" != 0 ] ||
    [ -n "$(find "$existing" -maxdepth 0 -perm /022)" ]; then
    refuse "$existing, where $root goes, is not a folder only root can write"
fi
[ "$(id -u)" = 0 ] || refuse "it runs as root, to make the root and mount into it"

if [ -z "${TARNWICK_IN_NAMESPACE:-}" ]; then
    (umask 022 && mkdir -p "$parent")
    # Held by this run and everything it starts, until the last of them ends.
    exec 9>"$root.lock"
    flock --nonblock 9 || refuse "another run is using $root"
    TARNWICK_IN_NAMESPACE=1 exec unshare --mount --propagation private --pid --fork \
        "$self" "$@"
fi

command -v debootstrap >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends debootstrap; }
# What a killed run left mounted went with its namespace.
rm -rf --one-file-system "$root"
mkdir -p "$root"
touch "$root/$mark"
debootstrap --variant=minbase "$release" "$root" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
# The root a mount point of its own, so that inside it, as on a machine, / is one: a test there
# may make a mount namespace, which needs to change the propagation of /.
mount --bind "$root" "$root"
# This PID namespace's own processes only.
mount -t proc proc "$root/proc"
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for device in null zero full random urandom tty; do
    touch "$root/dev/$device"
    mount --bind "/dev/$device" "$root/dev/$device"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
ln -s pts/ptmx "$root/dev/ptmx"
# Bash's process substitution opens /dev/fd/N.
ln -s /proc/self/fd "$root/dev/fd"
ln -s /proc/self/fd/0 "$root/dev/stdin"
ln -s /proc/self/fd/1 "$root/dev/stdout"
ln -s /proc/self/fd/2 "$root/dev/stderr"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
if [ -d /usr/local/share/ca-certificates ]; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
fi
[ ! -f /etc/npmrc ] || cp /etc/npmrc "$root/etc/npmrc"
git clone -q "$checkout" "$root/src/tarnwick"

# A clean environment, as a new login's, but for the warnings setting and whether the installer's
# engine test may be skipped. Root installs; the user builds and tests.
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
        useradd --create-home tester
        chown -R tester: /src/tarnwick
        cd /src/tarnwick
        as_tester() {
            runuser -u tester -- env HOME=/home/tester PATH="$PATH" TARNWICK_WERROR="$TARNWICK_WERROR" \
                TARNWICK_REQUIRE_INSTALLER_ENGINE="$TARNWICK_REQUIRE_INSTALLER_ENGINE" \
                NODE_EXTRA_CA_CERTS="$NODE_EXTRA_CA_CERTS" "$@"
        }
        # The toolchain alone builds a release: nothing of the test bed may come with it.
        scripts/install-deps.sh release
        as_tester make release
        for package in wine xvfb nodejs; do
            ! dpkg-query -W -f="\${Status}" "$package" 2>/dev/null | grep -q "install ok installed" ||
                { echo "FAIL: make release brought in $package"; exit 1; }
        done
        echo "make release brought in no test package"
        scripts/install-deps.sh
        echo "the processes this root sees: $(ps -e -o pid=,comm= | paste -sd,)"
        as_tester make test'
