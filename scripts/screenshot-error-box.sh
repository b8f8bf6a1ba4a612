#!/bin/bash
# Renders the error box in the simulated host on a virtual display and saves a picture of it,
# cropped to the box, for the README.
# Usage: screenshot-error-box.sh <build folder> <output.png>
set -euo pipefail
simhost="$(pwd)/$1/bin/simhost.exe"
dll="$(pwd)/$1/bin/Tarnwick.dll"
output="$2"
source "$(dirname "${BASH_SOURCE[0]}")/error-box.sh"

show_error_box
sleep 1  # let the box finish drawing
eval "$(xdotool getwindowgeometry --shell "$box")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
close_error_box
echo "wrote $output (${WIDTH}x${HEIGHT})"
