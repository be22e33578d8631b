#!/usr/bin/env bash
# Every C++ file of the project is formatted with the tree's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build' || true)
[ -z "$files" ] && exit 0
# shellcheck disable=SC2086
clang-format --dry-run -Werror $files
