#!/usr/bin/env bash
# Converts examples/ into out/ with the headless converter and the built-in office.
set -euo pipefail
build="${1:-build}"
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  echo "The headless converter is not built yet ($converter is missing); nothing was converted." >&2
  exit 1
fi
rm -rf out
"$converter" examples out
