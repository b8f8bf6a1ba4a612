#!/bin/bash
# Lints the project: shellcheck on every shell script (.shellcheckrc lets it follow the scripts
# that one sources from another) and clang-format against .clang-format on every C++ file. Prints
# each finding, and fails if there is any. Reads the files git tracks, and new ones it does not
# ignore.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
list() { git ls-files --cached --others --exclude-standard -- "$@"; }
mapfile -t scripts < <(list '*.sh' .ci/run)
mapfile -t sources < <(list '*.cpp' '*.h')
status=0
shellcheck "${scripts[@]}" || status=1
clang-format --dry-run --Werror "${sources[@]}" || status=1
[ $status -eq 0 ] && echo "lint: ${#scripts[@]} shell scripts and ${#sources[@]} C++ files, no findings"
exit $status
