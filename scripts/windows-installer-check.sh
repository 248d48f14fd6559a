#!/usr/bin/env bash
# The Windows installer under Wine, silently (/S): it installs per user, the installed
# converter turns examples/ into workbooks, and the uninstaller removes the programs again.
# Run by scripts/test-windows.sh with WINEPREFIX set, after packaging/windows/make-package.sh.
# Usage: scripts/windows-installer-check.sh [windows-build]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
setup=$(ls "$build"/Sheetweaver-*-win64-setup.exe)
wine_run() { bash cmake/wine-run.sh "$@"; }

wine_run "$setup" /S
wineserver --wait
folder="$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Programs/Sheetweaver"
for file in Sheetweaver.exe sheetweaver-convert.exe Uninstall.exe Sheetweaver.qvr; do
  [ -f "$folder/$file" ] || { echo "not installed: $file"; exit 1; }
done

work="$PWD/$build/installer-check"
rm -rf "$work"
mkdir -p "$work/out"
cp -a examples "$work/source"
status=0
wine_run "$folder/sheetweaver-convert.exe" --quiet "$work/source" "$work/out" > "$work/summary.txt" || status=$?
workbooks=$(find "$work/out" -name '*.xlsx' | wc -l)
echo "installed converter: exit $status, $workbooks workbooks"
# The examples hold one deliberately broken document: exit status 1, the others converted.
[ "$status" -eq 1 ] && [ "$workbooks" -ge 4 ] || exit 1

wine_run "$folder/Uninstall.exe" /S
wineserver --wait
# The uninstaller copies itself away and finishes from there: give it a moment.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  [ -e "$folder/sheetweaver-convert.exe" ] || break
  sleep 1
done
if [ -e "$folder/Sheetweaver.exe" ] || [ -e "$folder/sheetweaver-convert.exe" ]; then
  echo "the uninstaller left the programs in place"
  exit 1
fi
echo "installed, converted, uninstalled"
