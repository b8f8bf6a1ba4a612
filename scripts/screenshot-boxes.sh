#!/bin/bash
# Renders the refusal path in the simulated host on a virtual display and saves a picture of
# each box, cropped to it: error-box.png and summary-box.png. The host reports HOST_VERSION, by
# default the SFSE version after the one the build accepts.
# Usage: screenshot-boxes.sh <build folder> <output folder> [HOST_VERSION]
set -euo pipefail
simhost="$(cd "$1" && pwd)/bin/simhost.exe"
output="$(mkdir -p "$2" && cd "$2" && pwd)"
# shellcheck source=boxes.sh
source "$(dirname "${BASH_SOURCE[0]}")/boxes.sh"

walk_refusal "$output" "$(make_game "$(dirname "$simhost")/Tarnwick.dll")" \
    "${3:-$TARNWICK_NEWER_SFSE_VERSION}"
