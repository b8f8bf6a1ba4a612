#!/bin/bash
# Runs a Windows program under Wine in the project's private prefix, creating the prefix on
# first use. Quiet: Wine's own diagnostics are switched off unless WINEDEBUG asks for some.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine takes the Windows locale, and with it the ANSI code page of narrow paths and the boxes'
# wording, from the Unix locale. Every run gets US English and code page 1252, as on a Western
# Windows, whatever the developer's own locale. C.UTF-8 is on every Debian machine.
export LC_ALL=C.UTF-8
unset LANGUAGE
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot --init >/dev/null 2>&1
        # A crash must end the program with Wine's report, not wait on a dialog nobody sees.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        wineserver --wait
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
