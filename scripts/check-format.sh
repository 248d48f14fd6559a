#!/usr/bin/env bash
# Fails when a C++ source of ours differs from what .clang-format makes of it, braces around
# every control body included (InsertBraces needs clang-format 15).
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ -z "$files" ]; then
  echo "no sources"
  exit 0
fi
# shellcheck disable=SC2086
clang-format-15 --dry-run -Werror $files
echo "format ok: $(echo "$files" | wc -l) files"
