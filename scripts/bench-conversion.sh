#!/usr/bin/env bash
# Conversion speed and memory of the headless converter with the built-in office.
#
#   scripts/bench-conversion.sh [BUILD_DIR] [COUNTS...]      (default: build 500 5000)
#
# For each count N it generates a tree of N small documents (a heading, a paragraph and one
# 10x5 table each, 100 per folder), converts it in whole-document mode and in table mode, and
# prints documents per second of wall time and of CPU time (user + system: the machine may be
# busy with other work) and the converter's peak resident memory (from /usr/bin/time).
# In the same run scripts/peer-python.py (python-docx + openpyxl) converts the same tree in the
# same mode, and the last column gives its CPU time over the converter's.
#
# Further options go to the converter (e.g. --jobs 2) through BENCH_FLAGS.
set -euo pipefail
build="${1:-build}"
shift || true
counts=("$@")
if [ ${#counts[@]} -eq 0 ]; then
  counts=(500 5000)
fi
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  echo "Build the converter first: $converter is missing." >&2
  exit 2
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One seed document; every document of the tree is a copy of it.
/usr/bin/python3 "$(dirname "$0")/bench-seed.py" "$work/seed.docx"

peer="$(dirname "$0")/peer-python.py"
extra=()
read -r -a extra <<<"${BENCH_FLAGS:-}"

# CPU seconds (user + system) of a command, from /usr/bin/time; its output is dropped.
cpu_of() {
  /usr/bin/time -f "%U %S" -o "$work/peer-time" "$@" >/dev/null 2>&1 || return 1
  awk '{ print $1 + $2 }' "$work/peer-time"
}

printf "%-8s %-16s %10s %8s %10s %12s %14s %12s\n" documents mode "wall (s)" "docs/s" "CPU (s)" "docs/CPU-s" "peak RSS (MB)" "python CPU×"
for count in "${counts[@]}"; do
  source="$work/src-$count"
  for ((i = 0; i < count; i++)); do
    folder="$source/part$((i / 100))"
    [ -d "$folder" ] || mkdir -p "$folder"
    cp "$work/seed.docx" "$folder/doc$i.docx"
  done
  for mode in whole-document tables; do
    dest="$work/out-$count-$mode"
    rm -rf "$dest"
    mkdir -p "$dest"
    flags=()
    [ "$mode" = tables ] && flags=(--tables)
    start=$(date +%s.%N)
    /usr/bin/time -f "%M %U %S" -o "$work/rss" "$converter" "${flags[@]}" "${extra[@]}" "$source" "$dest" >/dev/null 2>&1 || {
      echo "conversion failed ($mode, $count documents)" >&2
      exit 1
    }
    end=$(date +%s.%N)
    converted=$(find "$dest" -name '*.xlsx' | wc -l)
    if [ "$converted" -ne "$count" ]; then
      echo "only $converted of $count documents were converted ($mode)" >&2
      exit 1
    fi
    read -r rss user system < <(tail -1 "$work/rss")
    rm -rf "$dest" && mkdir -p "$dest"
    peer_cpu=$(cpu_of /usr/bin/python3 "$peer" "${flags[@]}" "$source" "$dest") || {
      echo "the python script failed ($mode, $count documents)" >&2
      exit 1
    }
    awk -v n="$count" -v m="$mode" -v s="$start" -v e="$end" -v rss="$rss" -v user="$user" -v sys="$system" -v peer="$peer_cpu" \
      'BEGIN { t = e - s; cpu = user + sys; printf "%-8d %-16s %10.2f %8.0f %10.2f %12.0f %14.1f %12.1f\n", n, m, t, n / t, cpu, n / cpu, rss / 1024, peer / cpu }'
  done
  rm -rf "$source" "$work"/out-"$count"-*
done
