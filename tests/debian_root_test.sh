#!/bin/bash
# scripts/test-in-debian.sh refuses, before it makes or changes anything, what it must not use as
# a Debian root, each with its reason: no release or a malformed one; a folder inside the
# checkout, a relative one resolved from the caller's folder included; a folder that holds a
# file without the script's mark, whose file stays; a link; a folder whose parent others may
# write. Needs neither root nor the network: every row is refused before either counts.
# Usage: debian_root_test.sh <checkout>
set -euo pipefail
checkout="$1"
script="$checkout/scripts/test-in-debian.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
# Everything lies in a folder anyone may write, which the script refuses too: were one of its
# checks broken, the row would fail on the other reason, and nothing would be removed.
mkdir -p "$work/open/data"
echo kept >"$work/open/data/file"
ln -s "$work/open/data" "$work/open/link"
chmod 777 "$work/open"

# Each row: the folder named (or - for the default), the caller's folder, the arguments, and
# what the refusal must say.
while IFS='|' read -r folder from args reason; do
    # shellcheck disable=SC2086 # the row's words
    output="$(cd "$from" && if [ "$folder" = - ]; then bash "$script" $args; else
        TARNWICK_DEBIAN_ROOT="$folder" bash "$script" $args; fi 2>&1)" &&
        fail "it accepted $folder $args: $output"
    [[ "$output" == *"$reason"* ]] || fail "$folder $args: it does not say '$reason': $output"
    echo "refused $folder $args: $output"
done <<ROWS
-|$work||usage: test-in-debian.sh
-|$work|Trixie!|is not the name of a Debian release
$checkout/build/debian|$work|trixie|lies inside the checkout
../build/debian|$checkout/scripts|trixie|$checkout/build/debian lies inside the checkout
$work/open/data|$work|trixie|holds files, and not a root this script made
$work/open/link|$work|trixie|is a link
$work/open/debian/root|$work|trixie|$work/open, where $work/open/debian/root goes, is not a folder only root can write
ROWS
[ "$(cat "$work/open/data/file")" = kept ] || fail "the refused folder's file is gone"
if [ -e "$checkout/build/debian" ] || [ -e "$work/open/debian" ] ||
    [ -n "$(find "$work" -name '*.lock')" ]; then
    fail "a refusal made a folder or a lock"
fi
echo "every refusal left the folders as they were"
