#!/bin/bash
# Each release archive holds exactly its files, where mod managers look for them: each plugin
# archive its SFSE's plugin as built; the example archive the batch file as written, every line
# ending CR LF as Windows' cmd expects; the installer its FOMOD files, every plugin in the folder
# of its SFSE, the very bytes of its plugin archive, and the example once.
# Usage: release_archive_test.sh <example archive> <example batch file> <installer archive>
#        [<SFSE version> <plugin archive> <its Tarnwick.dll>]...
set -euo pipefail
fail() {
    echo "FAIL: $*"
    exit 1
}
# expect_entries ARCHIVE [ENTRY EXPECTED_BYTES_FILE]...: the archive holds these entries alone.
expect_entries() {
    local archive="$1" files expected
    shift
    files="$(unzip -Z1 "$archive" | grep -v '/$' | sort)"
    expected="$(printf '%s\n' "$@" | awk 'NR % 2' | sort)"
    [ "$files" = "$expected" ] ||
        fail "$(basename "$archive") should hold:"$'\n'"$expected"$'\n'"it holds:"$'\n'"$files"
    while [ $# -gt 0 ]; do
        unzip -p "$archive" "$1" | cmp - "$2" ||
            fail "$1 in $(basename "$archive") is not the expected file"
        shift 2
    done
    echo "$(basename "$archive") holds ${expected//$'\n'/ }"
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
batch="$work/start_high_priority.bat"
tr -d '\r' <"$2" | sed 's/$/\r/' >"$batch"
expect_entries "$1" Data/SFSE/Plugins/start_high_priority.bat "$batch"
installer="$3"
installer_entries=(example/start_high_priority.bat "$batch")
shift 3
while [ $# -gt 0 ]; do
    expect_entries "$2" Data/SFSE/Plugins/Tarnwick.dll "$3"
    installer_entries+=("SFSE-$1/Tarnwick.dll" "$3")
    shift 3
done
# What its FOMOD files say is the engine test's to check.
unzip -q -d "$work" "$installer" fomod/info.xml fomod/ModuleConfig.xml
installer_entries+=(fomod/info.xml "$work/fomod/info.xml")
installer_entries+=(fomod/ModuleConfig.xml "$work/fomod/ModuleConfig.xml")
expect_entries "$installer" "${installer_entries[@]}"
