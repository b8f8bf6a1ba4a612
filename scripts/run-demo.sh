#!/bin/bash
# Lays out a sample game folder with the plugin and a batch file that only records that it
# ran, and starts the simulated host on it under Wine.
# Usage: run-demo.sh <build folder>; HOST_VERSION=0.2.19 shows the refusal path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/$1"
game="$build/demo/game"
plugins="$game/Data/SFSE/Plugins"
host_version="${HOST_VERSION:-0.2.18}"

rm -rf "$build/demo"
mkdir -p "$plugins"
cp "$build/bin/Tarnwick.dll" "$plugins/"
printf '@echo off\r\necho start_high_priority.bat ran> "%%~dp0batch-ran.txt"\r\n' \
    >"$plugins/start_high_priority.bat"

windows() { echo "Z:$(echo "$1" | tr / '\\')"; }
echo "demo game folder: $game"

if [ "$host_version" != "0.2.18" ] && [ -z "${DISPLAY:-}" ]; then
    # No screen to show the boxes on: show them on a virtual one, keep a picture of each and
    # answer them as a player would.
    if [ "$host_version" != "0.2.19" ]; then
        echo "without a display the demo answers the boxes of host 0.2.19 only" >&2
        exit 2
    fi
    echo "no DISPLAY: the boxes appear on a virtual display and are answered OK, then No"
    echo
    simhost="$build/bin/simhost.exe"
    source "$root/scripts/boxes.sh"
    start_display
    walk_refusal "$build/demo" "$(windows "$game")"
    echo "timeline of the simulated host:"
    grep -v ':trace:msgbox:' "$work/host.log"
    exit 0
fi

"$root/cmake/wine-run.sh" "$build/bin/simhost.exe" "$(windows "$game")" \
    --host-version "$host_version" --linger-ms 15000 --watch "$(windows "$plugins/batch-ran.txt")"
# The host notices the file as soon as it exists; give the batch a moment to finish writing.
for _ in $(seq 20); do [ -s "$plugins/batch-ran.txt" ] && break; sleep 0.1; done
if [ -f "$plugins/batch-ran.txt" ]; then
    echo "the batch file ran: $(tr -d '\r' <"$plugins/batch-ran.txt")"
else
    echo "the batch file did not run"
fi
