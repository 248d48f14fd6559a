#!/usr/bin/env bash
# The Windows converter against the Linux one on the shared corpus: both convert a copy of it
# in whole-document and table mode with SOURCE_DATE_EPOCH set; every workbook must be the
# same bytes, and the failure reports must list the same documents (paths taken relative to
# the source folder, "\" read as "/"). Run by scripts/test-windows.sh with WINEPREFIX set.
# Usage: scripts/windows-corpus-check.sh [windows-build] [linux-build]
set -euo pipefail
cd "$(dirname "$0")/.."
windows_build="${1:-build-windows}"
linux_build="${2:-build}"
corpus=../shared/corpus
report='无法打开的文件目录(文件格式有误).txt'
export SOURCE_DATE_EPOCH=1700000000

if [ ! -x "$linux_build/bin/sheetweaver-convert" ]; then
  cmake --build "$linux_build" --target sheetweaver-convert
fi

work="$PWD/$windows_build/corpus-check"
rm -rf "$work"
mkdir -p "$work/source"
cp -a "$corpus/." "$work/source/"

# Convert the copy with one build's converter into $work/<name>, the report beside it.
convert() {
  local name=$1 mode=$2
  shift 2
  mkdir -p "$work/$name"
  "$@" --quiet --jobs 2 $mode "$work/source" "$work/$name" > "$work/$name.out" 2> "$work/$name.err" || true
  if [ -f "$work/source/$report" ]; then
    # The listed paths relative to the source folder, whichever separator and drive.
    tr '\\' '/' < "$work/source/$report" | tr -d '\r' | sed "s|^.*/corpus-check/source/||" \
      > "$work/$name.report"
    rm "$work/source/$report"
  else
    : > "$work/$name.report"
  fi
}

status=0
for mode in "" --tables; do
  label=${mode:-whole}
  label=${label#--}
  convert "linux-$label" "$mode" "$linux_build/bin/sheetweaver-convert"
  convert "windows-$label" "$mode" bash cmake/wine-run.sh "$windows_build/bin/sheetweaver-convert.exe"
  workbooks=$(cd "$work/linux-$label" && find . -type f | sort)
  count=$(echo "$workbooks" | grep -c . || true)
  differences=0
  while IFS= read -r file; do
    if ! cmp -s "$work/linux-$label/$file" "$work/windows-$label/$file"; then
      echo "differs ($label): $file"
      differences=$((differences + 1))
    fi
  done <<< "$workbooks"
  extra=$(cd "$work/windows-$label" && find . -type f | sort | comm -13 <(echo "$workbooks") -)
  if [ -n "$extra" ]; then
    echo "only on Windows ($label): $extra"
    differences=$((differences + 1))
  fi
  if ! diff -u "$work/linux-$label.report" "$work/windows-$label.report"; then
    echo "the failure reports differ ($label)"
    differences=$((differences + 1))
  fi
  echo "$label mode: $count workbooks, $(grep -c . "$work/linux-$label.report" || true) failures listed, $differences differences"
  if [ "$differences" -ne 0 ] || [ "$count" -eq 0 ]; then
    status=1
  fi
done
exit "$status"
