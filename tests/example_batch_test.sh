#!/bin/bash
# The example batch file: the README shows exactly the repository's file, and the file as the
# example archive unpacks it runs under Wine's cmd as the shell runs it: from the game's folder,
# not its own. It runs twice, and must end by itself within seconds each time, print nothing,
# exit with 0 and add one line to the log beside itself, none in the game's folder:
# - in a prefix of the test's own, with a stand-in powershell.exe where Windows keeps the real
#   one. The stand-in records the command line it receives: the README's command, whole, with $_
#   and the quotes intact. A powershell.exe in the game's folder, where cmd looks first for a
#   bare name, must not run.
# - in the shared prefix, with Wine's own powershell.exe, the stub that Linux and Steam Deck
#   players have: it ignores the command.
# - in the test's prefix again, with the player's own batch file beside it: that file runs, and
#   PowerShell does not. The log names which of the two ran.
# Usage: example_batch_test.sh <README.md> <example batch file> <example archive>
#        <stand-in powershell.exe> <the stand-in's Wine prefix>
set -euo pipefail
readme="$1"
example="$2"
archive="$3"
standin="$4"
standin_prefix="$5"
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/cmake/wine-run.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"; WINEPREFIX="$standin_prefix" wineserver -k 2>/dev/null || true' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

# shellcheck disable=SC2016 # the backticks are the README's fences, not a command
sed -n '/^```bat$/,/^```$/{/^```/d;p}' "$readme" | diff - <(tr -d '\r' <"$example") ||
    fail "the README's example is not $example"

mkdir -p "$work/game" "$work/mod"
unzip -q "$archive" -d "$work/mod"
batch="$work/mod/Data/SFSE/Plugins/start_high_priority.bat"
log="$work/mod/Data/SFSE/Plugins/start_high_priority.log"
command_line="$(grep -m1 -- ' -Command ' "$batch" | tr -d '\r')" ||
    fail "the example batch file calls no PowerShell command"
arguments="${command_line#* }"
windows_batch="$("$wine_run" winepath -w "$batch" | tr -d '\r')"
own_batch="$(sed -n 's/^if exist "%~dp0\([^"]*\)" goto .*/\1/p' "$batch" | tr -d '\r')"
[ -n "$own_batch" ] || fail "the example batch file looks for no batch file of the player's own"

# run_example LOG_LINES RAN: runs the unpacked batch file in WINEPREFIX, from the game's folder;
# the log's last line must say that RAN ran.
run_example() {
    local output status=0 start
    start="$(date +%s%N)"
    output="$(cd "$work/game" && timeout 10 "$wine_run" cmd /c "$windows_batch" 2>&1)" || status=$?
    [ $status -ne 124 ] || fail "the batch file did not end within 10 s"
    [ $status -eq 0 ] || fail "the batch file ended with exit code $status: $output"
    [ -z "$output" ] || fail "the batch file printed: $output"
    [ "$(wc -l <"$log")" -eq "$1" ] || fail "the log beside the batch file should have $1 lines"
    [[ "$(tail -n1 "$log" | tr -d '\r')" == *" $2 ran" ]] || fail "the log does not say that $2 ran"
    echo "the batch file ended by itself after $((($(date +%s%N) - start) / 1000000)) ms"
}

standin_path="$(WINEPREFIX="$standin_prefix" "$wine_run" winepath -u \
    'C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe' | tr -d '\r')"
cp "$standin" "$standin_path"
record="$(dirname "$standin_path")/powershell-command.txt"
rm -f "$record"
cp "$standin" "$work/game/powershell.exe"
WINEPREFIX="$standin_prefix" run_example 1 start_high_priority.bat
[ ! -e "$work/game/powershell-command.txt" ] || fail "the powershell.exe in the game's folder ran"
received="$(cat "$record" 2>/dev/null)" || fail "no PowerShell ran from where Windows keeps it"
echo "PowerShell received: $received"
[[ "$received" == *" $arguments" ]] || fail "PowerShell should have received: $arguments"
[[ "$received" == *"{ \$_.PriorityClass = 'High' }\"" ]] || fail "the command sets no High priority"

run_example 2 start_high_priority.bat
echo "under Wine's own PowerShell too"
[ ! -e "$work/game/start_high_priority.log" ] || fail "the log landed in the game's folder"

rm -f "$record"
printf '@echo off\r\necho ran> "%%~dp0own-ran.txt"\r\n' >"$(dirname "$batch")/$own_batch"
WINEPREFIX="$standin_prefix" run_example 3 "$own_batch"
[ -f "$(dirname "$batch")/own-ran.txt" ] || fail "$own_batch did not run"
[ ! -e "$record" ] || fail "PowerShell ran although $own_batch is there"
echo "with $own_batch beside it, that file ran instead of PowerShell"
echo "the example batch file hands PowerShell its whole command and leaves its log beside itself"
