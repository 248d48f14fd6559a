#!/usr/bin/env bash
# The Windows release from a cross-build: Sheetweaver-<version>-win64.zip (the two programs and
# a README in Chinese and English: the archive the self-update takes Sheetweaver.exe from) and
# Sheetweaver-<version>-win64-setup.exe (NSIS), both in the build folder.
# Usage: packaging/windows/make-package.sh [windows-build]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-windows}"
version=$(sed -n 's/^project(Sheetweaver VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage="$build/package/Sheetweaver"
rm -rf "$build/package"
mkdir -p "$stage"
cp "$build/bin/Sheetweaver.exe" "$build/bin/sheetweaver-convert.exe" "$stage/"
sed "s/@VERSION@/$version/g" packaging/windows/README.txt | sed 's/$/\r/' > "$stage/README.txt"
# Fixed times inside the archive, so one build gives one archive.
touch -d "@${SOURCE_DATE_EPOCH:-0}" "$stage"/*
zip="$PWD/$build/Sheetweaver-$version-win64.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" Sheetweaver.exe sheetweaver-convert.exe README.txt)
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" \
  -DOUTFILE="$PWD/$build/Sheetweaver-$version-win64-setup.exe" packaging/windows/installer.nsi
echo "$zip"
echo "$PWD/$build/Sheetweaver-$version-win64-setup.exe"
