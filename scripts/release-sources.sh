# shellcheck shell=bash
# What the sources say of their release, for the scripts that add an SFSE release, mark a release
# and prepare or propose one. Sourced; both read the checkout's root, the current folder.

# The version in CMakeLists.txt's project(), or nothing.
project_version() { sed -n 's/^project(Tarnwick VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt; }

# release_heading VERSION: CHANGELOG.md's heading "## VERSION (date)" that released it, or nothing.
release_heading() { grep -m1 "^## ${1//./\\.} (" CHANGELOG.md || true; }
