#!/bin/bash
# Each release archive holds exactly its one file, where mod managers look for it: each plugin
# archive its SFSE's plugin as built, and the example archive the batch file as written, every
# line ending CR LF as Windows' cmd expects.
# Usage: release_archive_test.sh <example archive> <example batch file>
#        [<plugin archive> <its Tarnwick.dll>]...
set -euo pipefail
fail() {
    echo "FAIL: $*"
    exit 1
}
# expect_entry ARCHIVE ENTRY EXPECTED_BYTES_FILE
expect_entry() {
    local files
    files="$(unzip -Z1 "$1" | grep -v '/$')"
    [ "$files" = "$2" ] || fail "$(basename "$1") should hold only $2, it holds:"$'\n'"$files"
    unzip -p "$1" "$2" | cmp - "$3" || fail "$2 in $(basename "$1") is not the expected file"
    echo "$(basename "$1") holds $2"
}
expect_entry "$1" Data/SFSE/Plugins/start_high_priority.bat <(tr -d '\r' <"$2" | sed 's/$/\r/')
shift 2
while [ $# -gt 0 ]; do
    expect_entry "$1" Data/SFSE/Plugins/Tarnwick.dll "$2"
    shift 2
done
