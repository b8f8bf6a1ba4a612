#!/bin/bash
# The boxes a player meets, on a virtual display, in the simulated host:
# 1. a host the plugin does not support, beside two files that are no plugin: the plugin's
#    "Incompatible SFSE" box, modal on the host's thread, then the host's summary of failed
#    plugins in the order they failed, the scan's first; No lets the game go on;
# 2. a plugin that faults in its preload entry before ours, and one that faults in its load
#    entry: the host survives both, ours still preloads, and the summary lists both faults; Yes
#    ends the game at once with exit code 0;
# 3. the release holds a plugin archive for each SFSE release of the table; each, unpacked, with
#    its SFSE release and the ones next to it in the table: its DLL runs with the one its name
#    says, and its batch file runs, and refuses the others with its box; the record the host
#    reads lists that SFSE's game build as the table has it, and its file description names the
#    SFSE.
# Usage: message_box_test.sh <simhost.exe> <Tarnwick.dll> <faulting_plugin.dll>
#        <load_faulting_plugin.dll> <strings tool> <sfse-releases.txt> <plugin archive>...
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

table="$6"
archives=("${@:7}")
# The rows of the table, "SFSE game", oldest first.
rows="$(grep -v '^#' "$table" | awk 'NF { print $1, $2 }')"
# The release holds one archive for each row, named for it; for a pair the table does not hold,
# that pair's alone.
own_row="$TARNWICK_SFSE_VERSION $TARNWICK_GAME_VERSION"
expected_sfse="$(awk '{ print $1 }' <<<"$rows")"
grep -qxF "$own_row" <<<"$rows" || expected_sfse="$TARNWICK_SFSE_VERSION"
archive_sfse="$(for archive in "${archives[@]}"; do
    sfse="${archive##*-SFSE-}"
    echo "${sfse%.zip}"
done)"
if [ ${#archives[@]} -eq 0 ] || [ "$archive_sfse" != "$expected_sfse" ]; then
    fail "the release's plugin archives are for SFSE ${archive_sfse//$'\n'/ };" \
        "the table asks for ${expected_sfse//$'\n'/ }"
fi
echo "a plugin archive for each SFSE release: ${archive_sfse//$'\n'/ }"

for archive in "${archives[@]}"; do
    sfse="${archive##*-SFSE-}"
    sfse="${sfse%.zip}"
    # A pair the table does not hold is this build's own.
    game="$(awk -v sfse="$sfse" '$1 == sfse { print $2 }' <<<"$rows")"
    game="${game:-$TARNWICK_GAME_VERSION}"
    rm -rf "$work/game" "$work/unpacked"
    unzip -q "$archive" -d "$work/unpacked"
    dll="$work/unpacked/Data/SFSE/Plugins/Tarnwick.dll"
    # Read whole before grep looks: grep -q stops early, and under pipefail the writer's broken
    # pipe would fail the check.
    dll_strings="$("$5" -el "$dll")"
    grep -q "^SFSE $sfse plugin " <<<"$dll_strings" || fail "the file description names no SFSE $sfse"
    game_folder="$(make_game "$dll")"
    plugins="$work/game/Data/SFSE/Plugins"
    marker="batch-ran.txt"
    printf '@echo off\r\necho ran> "%%~dp0%s"\r\n' "$marker" >"$plugins/start_high_priority.bat"
    # Its own SFSE and the releases next to it, older and newer: an archive that accepts any but
    # its own shows there. The runs grow with the table, not with its square.
    hosts="$({ echo "$rows"; echo "$sfse $game"; } | sort -u -V | grep -C1 "^${sfse//./\\.} ")"
    while read -r host_sfse host_game; do
        rm -f "$plugins/$marker"
        if [ "$host_sfse" = "$sfse" ]; then
            # The host stays up until the batch file has run, and the worker has ended with it:
            # Wine 10 may print an error of its own when a process ends while a thread waits.
            # It opens no box, so it runs off the display, where its batch file's console would
            # take the foreground from the next host's box.
            start_host --off-display '\] exit$' 0 "$game_folder" --host-version "$host_sfse" \
                --runtime-version "$host_game" --linger-ms 30000 \
                --watch "$game_folder\\Data\\SFSE\\Plugins\\$marker"
            verdict=true
        else
            start_host '\] exit$' 0 "$game_folder" --host-version "$host_sfse" \
                --runtime-version "$host_game" --linger-ms 0
            verdict=false
            wait_for_box "Incompatible SFSE"
            expect_text 1 "Tarnwick requires SFSE $sfse."$'\nPlease update SFSE to continue.'
            answer_box Return
            wait_for_box "SFSE Plugin Loader ($host_sfse)"
            answer_box n
        fi
        wait_host_end
        grep -q "SFSEPlugin_Preload returned $verdict" "$work/host.log" ||
            fail "$(basename "$archive") did not answer $verdict to SFSE $host_sfse"
        ran=false
        [ -f "$plugins/$marker" ] && ran=true
        [ "$ran" = "$verdict" ] || fail "$(basename "$archive") with SFSE $host_sfse: the batch file ran: $ran"
        grep -q "compatible runtimes: $game;" "$work/host.log" ||
            fail "$(basename "$archive") does not list game $game"
    done <<<"$hosts"
    tried="$(awk '{ print $1 }' <<<"$hosts")"
    echo "$(basename "$archive"): runs with SFSE $sfse only, of ${tried//$'\n'/ }; lists game $game"
done
