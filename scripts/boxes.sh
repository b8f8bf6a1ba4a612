# The simulated host's message boxes on a virtual display: sourced by the box test, by the
# pictures for the README and by the refusal demo. Callers set simhost (the host's .exe), then
# call start_display and start_host. Everything started here ends with the caller's shell.
#
#   wait_for_box CAPTION    waits for a box with exactly that caption; $box is its X window
#   box_text N              the text of the Nth box the host opened, as Wine traced it; Wine
#                           cuts it at about 300 characters and then ends it with "..."
#   snapshot_box FILE       a picture of $box, cropped to it
#   answer_box KEY          presses KEY in $box, as a player would (Return for OK, y, n)
#   wait_host_end           waits for the host to end and requires the runner's verdict

boxes_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A prefix of its own: Wine ties a prefix's desktop to the display it first met, and the tests
# and the demo run without one.
export WINEPREFIX="$boxes_root/build/wineprefix-display"
work="$(mktemp -d)"
xvfb=""
host=""
box=""

end_boxes() {
    set +e
    [ -n "$host" ] && kill "$host" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap end_boxes EXIT

fail() {
    echo "FAIL: $*"
    echo "--- simulated host said:"
    grep -v ':trace:msgbox:' "$work/host.log"
    exit 1
}

start_display() {
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    # Unmanaged windows: with no window manager on the virtual display, Wine then draws the
    # box's frame and caption itself.
    "$boxes_root/cmake/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

# A game folder under $work with the given DLLs in its plugin folder; prints its Windows path.
make_game() {
    mkdir -p "$work/game/Data/SFSE/Plugins"
    cp "$@" "$work/game/Data/SFSE/Plugins/"
    echo "Z:$(echo "$work/game" | tr / '\\')"
}

# start_host LAST_LINE EXIT_CODE ARGS...: the host in the background, through the test runner,
# which requires that its last line matches LAST_LINE and that it exits with EXIT_CODE. Wine
# traces the text of each box it opens into the same log.
start_host() {
    : >"$work/host.log"
    WINEDEBUG=-all,+msgbox "$boxes_root/cmake/wine-test.sh" ends-with "$1" "$2" "$simhost" \
        "${@:3}" >"$work/host.log" 2>&1 &
    host=$!
}

wait_for_box() {
    for _ in $(seq 600); do
        box="$(xdotool search --name "^$(printf '%s' "$1" | sed 's/[][().]/\\&/g')\$" 2>/dev/null |
            head -n1)" || true
        [ -n "$box" ] && return 0
        kill -0 "$host" 2>/dev/null || break
        sleep 0.1
    done
    fail "no box titled '$1' appeared"
}

box_text() {
    local line=""
    for _ in $(seq 50); do
        line="$(grep ':trace:msgbox:MSGBOX_OnInit' "$work/host.log" | sed -n "$1p")"
        [ -n "$line" ] && break
        sleep 0.1
    done
    printf '%s' "$line" | sed -e 's/^[^"]*L"//' -e 's/"$//' -e 's/"\.\.\.$/.../' \
        -e 's/\\n/\n/g' -e 's/\\"/"/g'
}

snapshot_box() {
    sleep 1 # let the box finish drawing
    eval "$(xdotool getwindowgeometry --shell "$box")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
}

answer_box() {
    xdotool windowfocus --sync "$box" key "$1"
}

wait_host_end() {
    for _ in $(seq 300); do kill -0 "$host" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$host" 2>/dev/null && fail "the simulated host did not go on after the box"
    wait "$host" || fail "the simulated host did not finish as expected"
    host=""
}

# walk_refusal DIR GAME: the refusal as a player meets it. The host reports 0.2.19 to the game
# folder GAME (a Windows path); the plugin's box appears and is answered OK, then the host's
# summary box, answered No. Each box's picture goes to DIR/error-box.png and
# DIR/summary-box.png, and its caption and text are printed.
walk_refusal() {
    local dir="$1" game="$2"
    start_host '\] exit$' 0 "$game" --host-version 0.2.19 --linger-ms 0
    local captions=("Incompatible SFSE" "SFSE Plugin Loader (0.2.19)")
    local pictures=(error-box summary-box) answers=(Return n) i
    for i in 0 1; do
        wait_for_box "${captions[i]}"
        snapshot_box "$dir/${pictures[i]}.png"
        echo "box $((i + 1)): $dir/${pictures[i]}.png"
        echo "  caption: ${captions[i]}"
        printf '%s\n' "$(box_text $((i + 1)))" | sed 's/^/  text:    /'
        echo
        answer_box "${answers[i]}"
    done
    wait_host_end
}
