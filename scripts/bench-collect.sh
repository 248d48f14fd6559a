#!/usr/bin/env bash
# Collect-mode speed and memory of the headless converter with the built-in office.
#
#   scripts/bench-collect.sh [BUILD_DIR] [COPIES] [JOBS]      (default: build 10000 2)
#
# Generates one filled form with tests/engine/collect_forms.py (a table of label and value
# cells with merged and nested cells, a repeating table and a paragraph field), links it
# COPIES times (hard links, 100 per folder), then converts the tree twice with --jobs JOBS: with --collect
# (one workbook, a row per copy) and in table mode (a workbook per copy), and prints copies
# per second of wall time and the converter's peak resident memory (from /usr/bin/time).
set -euo pipefail
build="${1:-build}"
copies="${2:-10000}"
jobs="${3:-2}"
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  echo "Build the converter first: $converter is missing." >&2
  exit 2
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
here="$(dirname "$0")"
/usr/bin/python3 "$here/../tests/engine/collect_forms.py" make "$work/form" 1 1 >/dev/null
seed="$work/form/copies/copy01.docx"
# One process makes every link: a shell loop would start a process per copy.
/usr/bin/python3 - "$seed" "$work/tree" "$copies" <<'PY'
import os, sys
seed, tree, copies = sys.argv[1], sys.argv[2], int(sys.argv[3])
for i in range(copies):
    folder = os.path.join(tree, "part%d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    os.link(seed, os.path.join(folder, "copy%d.docx" % i))
PY

# One converter run: "rows/s peak-MiB".
run() {
  rm -rf "$work/out"
  mkdir -p "$work/out"
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/time" "$converter" --quiet --jobs "$jobs" "$@" \
    "$work/tree" "$work/out" >/dev/null
  end=$(date +%s.%N)
  awk -v n="$copies" -v s="$start" -v e="$end" -v kb="$(cat "$work/time")" \
    'BEGIN { printf "%8.0f copies/s  %6.1f MiB peak\n", n / (e - s), kb / 1024 }'
}
printf '%-10s %s\n' "collect" "$(run --collect --form "$work/form/form.docx")"
printf '%-10s %s\n' "tables" "$(run --tables)"
