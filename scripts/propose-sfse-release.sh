#!/bin/bash
# The watch workflow's logic: given SFSE's version header as its default branch has it, adds
# the SFSE release it names (add-sfse-release.sh), makes the sources the next release
# (mark-release.sh), commits that on a branch of its own and opens a pull request for it; merged,
# that commit is the release, which the release workflow publishes. Nothing to add, or a branch
# for that release on origin already (its pull request is open or was closed), is no error.
# Needs git with a user to commit as, and gh logged in (GH_TOKEN).
# Usage: propose-sfse-release.sh <sfse_version.h>
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=release-sources.sh
source scripts/release-sources.sh
header="$1"
if [ -n "$(git status --porcelain)" ]; then
    echo "propose-sfse-release.sh: the tree has changes; nothing proposed" >&2
    exit 1
fi
status=0
said="$(scripts/add-sfse-release.sh --header "$header" 2>&1)" || status=$?
echo "$said"
[ $status -ne 3 ] || exit 0
[ $status -eq 0 ] || exit $status
scripts/mark-release.sh
version="$(project_version)"
# The row the header added or changed, as the table now has it.
read -r sfse game < <(git diff -U0 -- sfse-releases.txt | sed -n 's/^+\([0-9]\)/\1/p')
branch="sfse-$sfse-game-$game"
if git ls-remote --exit-code --heads origin "refs/heads/$branch" >/dev/null; then
    echo "propose-sfse-release.sh: origin has a branch $branch already; nothing proposed"
    git checkout -q -- .
    exit 0
fi
git checkout -q -b "$branch"
git commit -q -am "Release $version: SFSE $sfse" -m "$said"
git push -q origin "$branch"
gh pr create --head "$branch" --title "Release $version: SFSE $sfse" --body "$said

Made by the watch workflow from SFSE's version header. Merged, this commit is release $version,
which the release workflow builds and publishes."
