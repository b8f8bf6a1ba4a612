#!/bin/bash
# Runs a Windows program under Wine in the project's private prefix, creating the prefix on
# first use. Quiet: Wine's own diagnostics are switched off, but for one, unless WINEDEBUG asks. A
# non-zero exit code is said in one line of its own, "wine-run: <program> ended with exit code
# N", and passed on. What the tests' judge makes of both lines: docs/developing.md, "How a test
# is judged".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
# Wine's own diagnostics are off but for its "virtual" channel's errors, where it says that it
# ended a thread whose stack overflowed.
export WINEDEBUG="${WINEDEBUG:--all,err+virtual}"
# Wine takes the Windows locale, and with it the ANSI code page of narrow paths and the boxes'
# wording, from the Unix locale. Every run gets US English and code page 1252, as on a Western
# Windows, whatever the developer's own locale. C.UTF-8 is on every Debian machine.
export LC_ALL=C.UTF-8
unset LANGUAGE
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine starts its desktop process for any program, a console one too, and that loads the first
# display driver that finds a display: X11, else Wayland. Without a Wayland compositor, the
# Wayland driver's library prints an error of its own, past WINEDEBUG, before the program's
# output; nothing here needs that driver then.
[ -n "${WAYLAND_DISPLAY:-}" ] || WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winewayland.drv=d"
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot --init >/dev/null 2>&1
        # A crash that the program does not report itself must end it, not wait on a dialog
        # nobody sees.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        wineserver --wait
    fi
) 9>"$WINEPREFIX.lock"
status=0
wine "$@" || status=$?
[ $status -eq 0 ] || echo "wine-run: $1 ended with exit code $status" >&2
exit $status
