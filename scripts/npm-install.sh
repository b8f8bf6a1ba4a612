#!/bin/bash
# Installs the npm packages that <package folder>'s package-lock.json pins into <target folder>,
# without their install scripts, for a tool the tests or the lint use; again only when the pinned
# versions change. More arguments go to npm ci.
# Usage: npm-install.sh <package folder> <target folder> [npm ci argument]...
set -euo pipefail
package="$1"
target="$2"
if cmp -s "$package/package-lock.json" "$target/package-lock.json" && [ -d "$target/node_modules" ]
then
    exit 0
fi
rm -rf "$target"
mkdir -p "$target"
cp "$package/package.json" "$package/package-lock.json" "$target/"
npm ci --prefix "$target" --ignore-scripts --no-audit --no-fund --loglevel=error "${@:3}"
