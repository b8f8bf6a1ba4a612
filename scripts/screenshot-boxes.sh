#!/bin/bash
# Renders the refusal path in the simulated host on a virtual display and saves a picture of
# each box, cropped to it, for the README: error-box.png and summary-box.png.
# Usage: screenshot-boxes.sh <build folder> <output folder>
set -euo pipefail
simhost="$(pwd)/$1/bin/simhost.exe"
output="$2"
source "$(dirname "${BASH_SOURCE[0]}")/boxes.sh"

start_display
walk_refusal "$output" "$(make_game "$(pwd)/$1/bin/Tarnwick.dll")"
