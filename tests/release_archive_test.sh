#!/bin/bash
# The release archive holds exactly the built plugin, where mod managers look for it.
# Usage: release_archive_test.sh <archive> <Tarnwick.dll>
set -euo pipefail
archive="$1"
dll="$2"
files="$(unzip -Z1 "$archive" | grep -v '/$')"
if [ "$files" != "Data/SFSE/Plugins/Tarnwick.dll" ]; then
    echo "FAIL: the archive should hold only Data/SFSE/Plugins/Tarnwick.dll, it holds:"
    echo "$files"
    exit 1
fi
unzip -p "$archive" Data/SFSE/Plugins/Tarnwick.dll | cmp - "$dll" ||
    { echo "FAIL: the archived DLL is not the one built"; exit 1; }
echo "archive holds the built plugin at Data/SFSE/Plugins/Tarnwick.dll"
