#!/bin/bash
# Lints the project: shellcheck on every shell script (.shellcheckrc lets it follow the scripts
# that one sources from another), clang-format against .clang-format on every C++ file, and the
# workflows under .github/workflows with GitHub's own workflow parser (the npm package that
# scripts/workflow-lint/package-lock.json pins, installed into build/workflow-lint), which also
# requires every action pinned by a commit. Prints each finding, and fails if there is any.
# Reads the files git tracks, and new ones it does not ignore.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
list() { git ls-files --cached --others --exclude-standard -- "$@"; }
mapfile -t scripts < <(list '*.sh' .ci/run)
mapfile -t sources < <(list '*.cpp' '*.h')
mapfile -t workflows < <(list '.github/workflows/*.yml')
status=0
shellcheck "${scripts[@]}" || status=1
clang-format --dry-run --Werror "${sources[@]}" || status=1
linter=build/workflow-lint
scripts/npm-install.sh scripts/workflow-lint "$linter"
cp scripts/workflow-lint/*.mjs "$linter/"
node "$linter/lint-workflows.mjs" "${workflows[@]}" || status=1
[ $status -eq 0 ] && echo "lint: ${#scripts[@]} shell scripts, ${#sources[@]} C++ files and" \
    "${#workflows[@]} workflows, no findings"
exit $status
