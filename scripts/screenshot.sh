#!/usr/bin/env bash
# Saves pictures of the desktop program's main window: docs/mainwindow.png in Chinese and
# docs/mainwindow-en.png in English.
# Runs the window under a virtual X server (xvfb-run) at 96 dots per inch, the usual desktop
# resolution, with the Noto CJK fonts for the Chinese texts. Fails when the form does not fit
# its initial size of 940 x 520.
set -euo pipefail
build="${1:-build}"
cd "$(dirname "$0")/.."
tool="$build/tools/sheetweaver-screenshot"
if [ ! -x "$tool" ]; then
  cmake --build "$build" --target sheetweaver-screenshot
fi
if ! command -v xvfb-run > /dev/null; then
  echo "xvfb-run is missing (Debian package xvfb)" >&2
  exit 1
fi
if ! fc-list :lang=zh family | grep -q .; then
  echo "no Chinese font found (Debian package fonts-noto-cjk)" >&2
  exit 1
fi
mkdir -p docs
for lang in zh en; do
  picture=docs/mainwindow.png
  [ "$lang" = en ] && picture=docs/mainwindow-en.png
  SHEETWEAVER_LANG=$lang QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" \
    "$tool" "$picture"
  echo "saved $picture"
done
