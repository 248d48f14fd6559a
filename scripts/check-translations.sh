#!/usr/bin/env bash
# Fails when a text of the interface has no English translation: collects the texts of the
# sources into a copy of the English .ts with lupdate and looks for unfinished entries.
set -euo pipefail
cd "$(dirname "$0")/.."
ts=app/translations/sheetweaver_en.ts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
lupdate -silent -I . -locations none -no-obsolete app engine update -ts "$work/check.ts"
missing=$(grep -c 'type="unfinished"' "$work/check.ts" || true)
if [ "$missing" != "0" ]; then
  echo "$missing text(s) without an English translation; run the target sw_lupdate and translate:" >&2
  grep -B2 'type="unfinished"' "$work/check.ts" | grep '<source>' >&2
  exit 1
fi
echo "translations ok: $(grep -c '<message>' "$ts") texts"
