#!/bin/bash
# The refusal path on a virtual display: the simulated host reports a host the plugin does not
# support, the "Incompatible SFSE" box must appear, and the preload call must not return until
# the box is closed.
# Usage: message_box_test.sh <simhost.exe> <Tarnwick.dll>
set -euo pipefail
simhost="$1"
dll="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/error-box.sh"

show_error_box
echo "box appeared: window $box"

# The box is modal on the host's thread: a second later the call must still be waiting.
sleep 1
kill -0 "$host" 2>/dev/null || fail "the simulated host ended while the box was open"
grep -q "returned" "$work/host.log" && fail "the preload call returned while the box was open"

close_error_box
grep -q "SFSEPlugin_Preload returned false" "$work/host.log" || fail "the verdict was not false"
grep -q "reported as incompatible during load; unloading" "$work/host.log" ||
    fail "the host did not unload the refusing plugin"
echo "box closed; the preload call then returned false"
