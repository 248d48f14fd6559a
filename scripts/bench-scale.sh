#!/usr/bin/env bash
# Memory and speed of the headless converter on large trees, cheaply made of hard links.
#
#   scripts/bench-scale.sh [BUILD_DIR] [COUNTS...]      (default: build 10000 100000)
#
# For each count N it links copies of one small document (a heading, a paragraph and a 10x5 table) N times
# into folders of 1,000, converts the tree in table mode with --jobs 2 (BENCH_FLAGS replaces
# that), and prints documents per second of wall and CPU time and the converter's peak resident
# memory, which should not grow much with N.
set -euo pipefail
build="${1:-build}"
shift || true
counts=("$@")
if [ ${#counts[@]} -eq 0 ]; then
  counts=(10000 100000)
fi
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  echo "Build the converter first: $converter is missing." >&2
  exit 2
fi
read -r -a flags <<<"${BENCH_FLAGS:---jobs 2}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$(dirname "$0")/bench-seed.py" "$work/seed.docx"

printf "%-9s %10s %8s %10s %12s %14s\n" documents "wall (s)" "docs/s" "CPU (s)" "docs/CPU-s" "peak RSS (MB)"
for count in "${counts[@]}"; do
  source="$work/src-$count"
  dest="$work/out-$count"
  mkdir -p "$dest"
  # One process makes all the links: a program started per link would take longer than the run.
  /usr/bin/python3 - "$work/seed.docx" "$source" "$count" <<'PY'
import os
import shutil
import sys
seed, source, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
per_copy = 50000  # a file system allows a file some 65,000 links at most
for i in range(count):
    folder = os.path.join(source, "part%d" % (i // 1000))
    if i % 1000 == 0:
        os.makedirs(folder, exist_ok=True)
    copy = "%s.%d" % (seed, i // per_copy)
    if i % per_copy == 0:
        shutil.copyfile(seed, copy)
    os.link(copy, os.path.join(folder, "doc%d.docx" % i))
PY
  start=$(date +%s.%N)
  /usr/bin/time -f "%M %U %S" -o "$work/rss" "$converter" --quiet --tables "${flags[@]}" "$source" "$dest" >/dev/null
  end=$(date +%s.%N)
  converted=$(find "$dest" -name '*.xlsx' | wc -l)
  if [ "$converted" -ne "$count" ]; then
    echo "only $converted of $count documents were converted" >&2
    exit 1
  fi
  read -r rss user system < <(tail -1 "$work/rss")
  awk -v n="$count" -v s="$start" -v e="$end" -v rss="$rss" -v user="$user" -v sys="$system" \
    'BEGIN { t = e - s; cpu = user + sys; printf "%-9d %10.2f %8.0f %10.2f %12.0f %14.1f\n", n, t, n / t, cpu, n / cpu, rss / 1024 }'
  rm -rf "$source" "$dest"
done
