#!/bin/bash
# The example batch file: the README shows exactly the repository's file, and the file as the
# example archive unpacks it runs under Wine's cmd as the shell runs it: from the game's folder,
# not its own. A stand-in powershell.exe, first on the PATH of the test's Wine prefix, records the
# command line it receives: the README's command, whole, with $_ and the quotes intact. The
# batch file's trace must land beside it, not in the game's folder.
# Usage: example_batch_test.sh <README.md> <example batch file> <example archive>
#        <stand-in powershell.exe>
set -euo pipefail
readme="$1"
example="$2"
archive="$3"
standin="$4"
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/cmake/wine-run.sh"
work="$(mktemp -d)"
standin_dir=""
trap 'rm -rf "$work" ${standin_dir:+"$standin_dir"}' EXIT
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
command_line="$(grep -m1 '^powershell ' "$batch" | tr -d '\r')" ||
    fail "the example batch file calls no powershell"
arguments="${command_line#powershell}"

windows_batch="$("$wine_run" winepath -w "$batch" | tr -d '\r')"
standin_name="tarnwick-standin-$$"
# C: of whichever prefix wine-run.sh uses, as Wine itself maps it.
standin_dir="$("$wine_run" winepath -u "C:\\" | tr -d '\r')$standin_name"
mkdir -p "$standin_dir"
cp "$standin" "$standin_dir/powershell.exe"
# Judged by what PowerShell received, not by the exit code of the batch file's last command.
(cd "$work/game" && WINEPATH="C:\\$standin_name" "$wine_run" cmd /c "$windows_batch") || true

received="$(cat "$standin_dir/powershell-command.txt" 2>/dev/null)" || fail "PowerShell never ran"
echo "PowerShell received: $received"
[[ "$received" == *"$arguments" ]] || fail "PowerShell should have received:$arguments"
[[ "$received" == *"{ \$_.PriorityClass = 'High' }\"" ]] || fail "the command sets no High priority"
[ -s "$work/mod/Data/SFSE/Plugins/start_high_priority.log" ] || fail "no trace beside the batch file"
[ ! -e "$work/game/start_high_priority.log" ] || fail "the trace landed in the game's folder"
echo "the example batch file hands PowerShell its whole command and leaves its trace beside itself"
