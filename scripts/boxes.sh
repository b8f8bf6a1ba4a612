# shellcheck shell=bash
# The simulated host's message boxes on a virtual display: sourced by the box test, by the
# pictures for the README and by the refusal demo. Callers set simhost (the host's .exe), then
# source this file, which runs the calling script again under xvfb-run: the boxes always open on
# a virtual display, never on a desktop. Then they call start_host. Everything started here ends
# with the caller's shell.
#
#   wait_for_box CAPTION    waits for a box with exactly that caption; $box is its X window
#   box_text N              the text of the Nth box the host opened, as Wine traced it; Wine
#                           cuts it at about 300 characters and then ends it with "..."
#   snapshot_box FILE       a picture of $box, cropped to it
#   answer_box KEY          presses KEY in $box, as a player would (Return for OK, y, n), once
#                           the box holds the input focus; then waits for the box to close
#   wait_host_end           waits for the host to end and checks how it ended

if [ -z "${TARNWICK_ON_XVFB:-}" ]; then
    TARNWICK_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$0" "$@"
fi

boxes_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
: "${simhost:?set simhost to the simulated host before sourcing boxes.sh}"
# TARNWICK_SFSE_VERSION, which the plugin accepts, and TARNWICK_NEWER_SFSE_VERSION, which it does
# not, as the build was configured.
# shellcheck source=../cmake/versions.sh.in
source "$(dirname "$simhost")/versions.sh"
# A prefix of its own for each script that sources this one: Wine ties a prefix's desktop to the
# display it first met, and the tests and the demo run without one; and the end of one script's
# boxes ends every program in its prefix, none of another's running beside it.
WINEPREFIX="$boxes_root/build/wineprefix-display-$(basename "$0" .sh)"
export WINEPREFIX
work="$(mktemp -d)"
host=""
box=""
box_caption=""

end_boxes() {
    set +e
    [ -n "$host" ] && kill "$host" 2>/dev/null
    wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap end_boxes EXIT

fail() {
    echo "FAIL: $*"
    echo "--- simulated host said:"
    grep -v ':trace:msgbox:' "$work/host.log"
    exit 1
}

wine_run="$boxes_root/cmake/wine-run.sh"

# Unmanaged windows: with no window manager on the virtual display, Wine then draws the box's
# frame and caption itself.
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# Wine's own fonts (Debian's fonts-wine), Marlett among them, which draws the caption's close
# button. Debian's Wine does not look where the package puts them, so they go where every Wine
# looks: the prefix's Windows font folder.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# A game folder under $work with the given DLLs in its plugin folder; prints its Windows path.
make_game() {
    mkdir -p "$work/game/Data/SFSE/Plugins"
    cp "$@" "$work/game/Data/SFSE/Plugins/"
    "$wine_run" winepath -w "$work/game" | tr -d '\r'
}

# start_host LAST_LINE EXIT_CODE ARGS...: the host in the background; wait_host_end requires that
# its last line matches LAST_LINE, that it exits with EXIT_CODE and that it did not crash. Wine
# traces the text of each box it opens into the same log. A host on this display runs no batch
# file: the console window of one would take the foreground from the next host's box.
start_host() {
    host_last_line="$1"
    host_exit_code="$2"
    # wine-run.sh itself, not a function in a subshell: $host is then its process, and the
    # host's Windows process is its child.
    WINEDEBUG=-all,+msgbox "$wine_run" "$simhost" "${@:3}" </dev/null \
        >"$work/host.log" 2>&1 &
    host=$!
}

# The X windows of the running host's Windows process titled exactly $1; more arguments to
# xdotool search go first. Boxes of an earlier host, or of another test's, are not among them.
host_windows() {
    local pattern pid
    pattern="^$(printf '%s' "$1" | sed 's/[][().]/\\&/g')\$"
    for pid in $(pgrep -P "$host"); do
        xdotool search --all "${@:2}" --pid "$pid" --name "$pattern" 2>/dev/null || true
    done
}

# Wine creates a box's X window and names it before it maps it: a window that is not yet
# viewable cannot take the focus, so only a viewable one is answered.
wait_for_box() {
    box_caption="$1"
    for _ in $(seq 600); do
        box="$(host_windows "$1" --onlyvisible)"
        box="${box%%$'\n'*}"
        [ -n "$box" ] && return 0
        kill -0 "$host" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$(host_windows "$1")" ] && fail "a box titled '$1' appeared but never became viewable"
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

# A key reaches the Windows window that has the focus in the foreground, whichever X window
# holds the X focus: giving the box the X focus does not activate it. Wine gives an unmanaged
# window the X focus itself once it has the Windows focus, so that is the sign that the box
# takes keys; nothing else on the display sets the focus.
answer_box() {
    local focus=""
    for _ in $(seq 100); do
        # Before any window has had it, the focus is PointerRoot, which xdotool cannot name.
        focus="$(xdotool getwindowfocus 2>/dev/null)" || focus=""
        [ "$focus" = "$box" ] && break
        sleep 0.1
    done
    [ "$focus" = "$box" ] || fail "the box titled '$box_caption' never took the input focus" \
        "(X window ${focus:-PointerRoot} holds it)"
    xdotool key "$1"
    for _ in $(seq 100); do
        grep -qx "$box" <<<"$(host_windows "$box_caption" --onlyvisible)" || return 0
        sleep 0.1
    done
    fail "answered '$box_caption' with $1, still open after 10 s"
}

wait_host_end() {
    for _ in $(seq 300); do kill -0 "$host" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$host" 2>/dev/null && fail "the simulated host did not go on after the box"
    local code=0 last
    wait "$host" || code=$?
    host=""
    # The host reports a crash in a line of its own, whatever Wine makes of it.
    grep -q '^CRASH: ' "$work/host.log" && fail "the simulated host crashed"
    [ "$code" = "$host_exit_code" ] || fail "exit code $code, expected $host_exit_code"
    last="$(grep -v -e ':trace:msgbox:' -e '^[[:space:]]*$' "$work/host.log" | tail -n1 | tr -d '\r')"
    [[ "$last" =~ $host_last_line ]] || fail "the simulated host did not finish: it last said '$last'"
}

# walk_refusal DIR GAME VERSION: the refusal as a player meets it. The host reports VERSION to the
# game folder GAME (a Windows path); the plugin's box appears and is answered OK, then the host's
# summary box, answered No. Each box's picture goes to DIR/error-box.png and
# DIR/summary-box.png, and its caption and text are printed, then the host's timeline.
walk_refusal() {
    local dir="$1" game="$2" version="$3"
    start_host '\] exit$' 0 "$game" --host-version "$version" --linger-ms 0
    local captions=("Incompatible SFSE" "SFSE Plugin Loader ($version)")
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
    echo "timeline of the simulated host:"
    grep -v ':trace:msgbox:' "$work/host.log"
}
