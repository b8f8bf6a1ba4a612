#!/bin/bash
# The refusal path on a virtual display: the simulated host reports a host the plugin does not
# support, the "Incompatible SFSE" box must appear, and the preload call must not return until
# the box is closed.
# Usage: message_box_test.sh <simhost.exe> <Tarnwick.dll>
set -euo pipefail
simhost="$1"
dll="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A prefix of its own: Wine ties a prefix's desktop to the display it first met, and the other
# tests run without one.
export WINEPREFIX="$root/build/wineprefix-display"
work="$(mktemp -d)"
xvfb=""
host=""
cleanup() {
    [ -n "$host" ] && kill "$host" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- simulated host said:"; cat "$work/host.log"; exit 1; }

mkdir -p "$work/game/Data/SFSE/Plugins"
cp "$dll" "$work/game/Data/SFSE/Plugins/"
touch "$work/host.log"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

game="Z:$(echo "$work/game" | tr / '\\')"
"$root/cmake/wine-run.sh" "$simhost" "$game" --host-version 0.2.19 >"$work/host.log" 2>&1 &
host=$!

window=""
for _ in $(seq 600); do
    window="$(xdotool search --name '^Incompatible SFSE$' 2>/dev/null | head -n1)" || true
    [ -n "$window" ] && break
    kill -0 "$host" 2>/dev/null || break
    sleep 0.1
done
[ -n "$window" ] || fail "no window titled 'Incompatible SFSE' appeared"
echo "box appeared: window $window"

# The box is modal on the host's thread: a second later the call must still be waiting.
sleep 1
kill -0 "$host" 2>/dev/null || fail "the simulated host ended while the box was open"
grep -q "returned" "$work/host.log" && fail "the preload call returned while the box was open"

xdotool windowfocus --sync "$window" key Return
for _ in $(seq 300); do kill -0 "$host" 2>/dev/null || break; sleep 0.1; done
kill -0 "$host" 2>/dev/null && fail "the simulated host did not go on after the box was closed"
wait "$host" || fail "the simulated host failed"
host=""
grep -q "SFSEPlugin_Preload returned false" "$work/host.log" || fail "the verdict was not false"
grep -q "reported as incompatible during load; unloading" "$work/host.log" ||
    fail "the host did not unload the refusing plugin"
echo "box closed; the preload call then returned false"
