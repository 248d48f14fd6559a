#!/usr/bin/env bash
# Converts examples/ into out/ with the headless converter and the built-in office
# (whole-document mode), then collects the filled forms of examples/表单/回收 into
# out-汇总/汇总.xlsx (collect mode), and says where the workbooks and the failure reports are.
set -euo pipefail
build="${1:-build}"
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  echo "The headless converter is not built yet ($converter is missing); nothing was converted." >&2
  exit 1
fi
rm -rf out
mkdir -p out
status=0
"$converter" examples out || status=$?
if [ "$status" -ge 2 ]; then
  exit "$status"
fi
rm -rf out-汇总
mkdir -p out-汇总
"$converter" --collect --quiet --form examples/表单/空白表.docx examples/表单/回收 out-汇总 || true
echo
echo "Collected (out-汇总/汇总.xlsx): one row per filled form; 核对 names the copy of another form"
echo
echo "Workbooks (out/):"
find out -type f | sort | sed 's/^/  /'
report="examples/无法打开的文件目录(文件格式有误).txt"
if [ -f "$report" ]; then
  echo "Failure report: $report (the deliberately broken example is listed there)"
fi
