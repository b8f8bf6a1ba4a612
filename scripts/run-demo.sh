#!/bin/bash
# Lays out a sample game folder with the plugin and a batch file that only records that it
# ran, and starts the simulated host on it under Wine.
# Usage: run-demo.sh <build folder>; HOST_VERSION=<another version> shows the refusal path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/$1"
game="$build/demo/game"
plugins="$game/Data/SFSE/Plugins"
# shellcheck source=../cmake/versions.sh.in
source "$build/bin/versions.sh"
host_version="${HOST_VERSION:-$TARNWICK_SFSE_VERSION}"

rm -rf "$build/demo"
mkdir -p "$plugins"
cp "$build/bin/Tarnwick.dll" "$plugins/"
printf '@echo off\r\necho start_high_priority.bat ran> "%%~dp0batch-ran.txt"\r\n' \
    >"$plugins/start_high_priority.bat"
echo "demo game folder: $game"

if [ "$host_version" != "$TARNWICK_SFSE_VERSION" ] && [ -z "${DISPLAY:-}" ]; then
    # No screen to show the boxes on: show them on a virtual one, keep a picture of each and
    # answer them as a player would.
    echo "no DISPLAY: the boxes appear on a virtual display and are answered OK, then No"
    echo
    exec "$root/scripts/screenshot-boxes.sh" "$build" "$build/demo" "$host_version"
fi

windows() { "$root/cmake/wine-run.sh" winepath -w "$1" | tr -d '\r'; }
"$root/cmake/wine-run.sh" "$build/bin/simhost.exe" "$(windows "$game")" \
    --host-version "$host_version" --linger-ms 15000 --watch "$(windows "$plugins/batch-ran.txt")"
# The host notices the file as soon as it exists; give the batch a moment to finish writing.
for _ in $(seq 20); do [ -s "$plugins/batch-ran.txt" ] && break; sleep 0.1; done
if [ -f "$plugins/batch-ran.txt" ]; then
    echo "the batch file ran: $(tr -d '\r' <"$plugins/batch-ran.txt")"
else
    echo "the batch file did not run"
fi
