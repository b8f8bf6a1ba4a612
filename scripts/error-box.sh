# Shows the plugin's error box on a virtual display: sourced by the error-box test and by the
# screenshot for the README. Callers set simhost and dll, then call show_error_box; afterwards
# $box is the box's X window, $host the simulated host's PID and $work/host.log its output.
# close_error_box presses OK. Everything started here ends with the caller's shell.

error_box_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A prefix of its own: Wine ties a prefix's desktop to the display it first met, and the tests
# and the demo run without one.
export WINEPREFIX="$error_box_root/build/wineprefix-display"
work="$(mktemp -d)"
xvfb=""
host=""
box=""

end_error_box() {
    set +e
    [ -n "$host" ] && kill "$host" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap end_error_box EXIT

fail() {
    echo "FAIL: $*"
    echo "--- simulated host said:"
    cat "$work/host.log"
    exit 1
}

show_error_box() {
    mkdir -p "$work/game/Data/SFSE/Plugins"
    cp "$dll" "$work/game/Data/SFSE/Plugins/"
    touch "$work/host.log"

    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    # Unmanaged windows: with no window manager on the virtual display, Wine then draws the
    # box's frame and caption itself.
    "$error_box_root/cmake/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

    local game="Z:$(echo "$work/game" | tr / '\\')"
    # Through the test runner: the host must reach its last line, not merely end.
    "$error_box_root/cmake/wine-test.sh" ends-with '\] exit$' "$simhost" "$game" \
        --host-version 0.2.19 >"$work/host.log" 2>&1 &
    host=$!

    for _ in $(seq 600); do
        box="$(xdotool search --name '^Incompatible SFSE$' 2>/dev/null | head -n1)" || true
        [ -n "$box" ] && return 0
        kill -0 "$host" 2>/dev/null || break
        sleep 0.1
    done
    fail "no window titled 'Incompatible SFSE' appeared"
}

close_error_box() {
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 300); do kill -0 "$host" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$host" 2>/dev/null && fail "the simulated host did not go on after the box was closed"
    wait "$host" || fail "the simulated host failed"
    host=""
}
