#!/bin/bash
# Runs a Windows program under Wine in the project's private prefix, creating the prefix on
# first use. Quiet: Wine's own diagnostics are switched off unless WINEDEBUG asks for some.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
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
