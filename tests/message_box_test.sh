#!/bin/bash
# The boxes a player meets, on a virtual display, in the simulated host:
# 1. a host the plugin does not support, beside two files that are no plugin: the plugin's
#    "Incompatible SFSE" box, modal on the host's thread, then the host's summary of failed
#    plugins in the order they failed, the scan's first; No lets the game go on;
# 2. a plugin that faults in its preload entry before ours, and one that faults in its load
#    entry: the host survives both, ours still preloads, and the summary lists both faults; Yes
#    ends the game at once with exit code 0.
# Each row's plugin, its gate and its box's text, is checked in-process (row_test.cpp).
# Usage: message_box_test.sh <simhost.exe> <Tarnwick.dll> <faulting_plugin.dll>
#        <load_faulting_plugin.dll>
set -euo pipefail
simhost="$1"
# shellcheck source=../scripts/boxes.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/boxes.sh"

summary() {
    printf 'Mods you have installed have failed to load correctly. Check for updates to the mods listed below.\n\n%s\n\nContinuing to load may result in lost save data or other undesired behavior.\nExit game? (yes highly suggested)' "$1"
}

# The box's text must be exactly $2. Where Wine's trace cut it short, the traced part must begin
# the expected text, and the whole must stand on the host's timeline, which writes the very text
# it passes to the box.
expect_text() {
    local actual timeline
    actual="$(box_text "$1")"
    if [ "${actual%...}" != "$actual" ] && [ "${2#"${actual%...}"}" != "$2" ]; then
        timeline="$(tr -d '\r' <"$work/host.log" | sed -n 's/^\[[ 0-9.]* ms\]   | //p' |
            tail -n "$(wc -l <<<"$2")")"
        [ "$timeline" = "$2" ] || fail "the timeline's box text is:"$'\n'"$timeline"
    elif [ "$actual" != "$2" ]; then
        fail "box $1 says:"$'\n'"$actual"$'\n'"expected:"$'\n'"$2"
    fi
}

printf 'not a plugin\n' | tee "$work/A.dll" >"$work/Zed.dll"
game="$(make_game "$2" "$work/A.dll" "$work/Zed.dll")"
start_host '\] exit$' 0 "$game" --host-version "$TARNWICK_NEWER_SFSE_VERSION"
wait_for_box "Incompatible SFSE"
expect_text 1 "Tarnwick requires SFSE $TARNWICK_SFSE_VERSION."$'\nPlease update SFSE to continue.'
# The box is modal on the host's thread: a second later the call must still be waiting.
sleep 1
kill -0 "$host" 2>/dev/null || fail "the simulated host ended while the box was open"
grep -q "returned" "$work/host.log" && fail "the preload call returned while the box was open"
answer_box Return
wait_for_box "SFSE Plugin Loader ($TARNWICK_NEWER_SFSE_VERSION)"
not_an_image="couldn't load plugin (000000C1)"
expect_text 2 "$(summary "A.dll: $not_an_image"$'\n'"Zed.dll: $not_an_image"$'\n'"Tarnwick.dll v1: reported as incompatible during load")"
answer_box n
wait_host_end
grep -q "SFSEPlugin_Preload returned false" "$work/host.log" || fail "the verdict was not false"
grep -q "exit: unloading Tarnwick.dll" "$work/host.log" &&
    fail "the host did not unload the refusing plugin"
grep -q "summary box: No, the game goes on" "$work/host.log" || fail "No did not go on"
echo "refused: the plugin's box, then the summary; No went on"

rm -rf "$work/game"
game="$(make_game "$2" "$3" "$4")"
start_host 'summary box: Yes, the game ends now$' 0 "$game"
wait_for_box "SFSE Plugin Loader ($TARNWICK_SFSE_VERSION)"
fatal="disabled, fatal error occurred while loading plugin"
expect_text 1 "$(summary "faulting_plugin.dll v3: $fatal"$'\n'"load_faulting_plugin.dll v3: $fatal")"
grep -qE "faulting_plugin.dll: SFSEPlugin_Preload faulted: exception 0xC0000005 at faulting_plugin.dll\+0x[0-9a-f]+" \
    "$work/host.log" || fail "the timeline does not name the fault"
# Each part of the timeline is read whole before grep -q looks at it: grep -q stops early, and
# under pipefail the writer's broken pipe would fail the check.
after_fault="$(grep -A99 "faulted" "$work/host.log")"
grep -q "Tarnwick.dll: SFSEPlugin_Preload returned true" <<<"$after_fault" ||
    fail "the plugin after the faulting one did not preload"
after_preload="$(grep -A99 "Tarnwick.dll: SFSEPlugin_Preload returned" "$work/host.log")"
grep -q "load_faulting_plugin.dll: SFSEPlugin_Load faulted: exception 0xC0000005" <<<"$after_preload" ||
    fail "the load phase did not follow the preload phase, or its fault was not caught"
answer_box y
wait_host_end
echo "plugins faulted: the host went on, listed them, and Yes ended the game with exit code 0"
