#!/usr/bin/env bash
# Renders the built manual pages with man -l and checks them: no formatter warnings, the
# usual sections, and every option the converter's --help lists.
# Usage: check-manpages.sh MAN_DIR CONVERTER
set -euo pipefail

man_dir=$1
converter=$2
status=0

fail() {
  echo "FAIL: $*" >&2
  status=1
}

for page in "$man_dir"/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
  text=$(MANWIDTH=80 man -l "$page" 2> /dev/null)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES 'EXIT STATUS' 'SEE ALSO'; do
    grep -q "^$section\$" <<< "$text" || fail "$page: no section $section"
  done
done

convert_page=$(MANWIDTH=80 man -l "$man_dir/sheetweaver-convert.1.gz" 2> /dev/null)
grep -q '^EXAMPLES$' <<< "$convert_page" || fail "sheetweaver-convert.1: no EXAMPLES"
for option in $("$converter" --help | grep -o '^  --[a-z-]*'); do
  grep -q -- "^       $option\\b" <<< "$convert_page" ||
    fail "sheetweaver-convert.1 does not describe $option"
done
exit $status
