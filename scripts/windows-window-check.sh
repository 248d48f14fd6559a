#!/usr/bin/env bash
# Sheetweaver.exe under Wine on a virtual X server, as a user drives it: the window starts,
# the folders are typed into their fields with xdotool, Enter runs the conversion,
# and the workbooks of examples/ appear. Also checks, under Wine, that a second start hands
# over to the running copy, and that the settings file beside the executable keeps the
# folders. With --screenshot-only it saves, instead, docs/mainwindow-windows.png and
# docs/mainwindow-windows-en.png (the window as Windows draws it, in Chinese and English).
# Usage: scripts/windows-window-check.sh [windows-build] [--screenshot-only]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
only_screenshot="${2:-}"
program="$PWD/$build/bin/Sheetweaver.exe"
export WINEPREFIX="${WINEPREFIX:-$PWD/$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init > /dev/null 2>&1
  wineserver --wait
fi

work="$PWD/$build/window-check"
rm -rf "$work"
mkdir -p "$work/program" "$work/dest"
cp -a examples "$work/source"
# A portable copy: the program and its settings file in a folder of their own.
cp "$program" "$work/program/"
: > "$work/program/Sheetweaver.qvr"

# A display number no other X server holds (another test may run one of its own).
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
  number=$((number + 1))
done
display=:$number
Xvfb "$display" -screen 0 1280x800x24 -dpi 96 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() {
  wineserver --kill > /dev/null 2>&1 || true
  kill "$xvfb" 2> /dev/null || true
}
trap cleanup EXIT
sleep 1

# The program's top-level window, waited for up to two minutes (Wine's first start in a
# prefix is slow).
find_window() {
  local window=""
  for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^Sheetweaver' 2> /dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 1
  done
  echo "$window"
}

# A picture of the program's window (Wine draws it without a window manager's frame).
screenshot() {
  local out=$1
  import -display "$display" -window "$window" "$out"
}

# Start the program in a language ($1) and wait for its window.
start_program() {
  SHEETWEAVER_LANG=$1 wine "$work/program/Sheetweaver.exe" > "$work/program.log" 2>&1 &
  window=$(find_window)
  if [ -z "$window" ]; then
    echo "no Sheetweaver window appeared under Wine"
    exit 1
  fi
  sleep 3
}

if [ "$only_screenshot" = --screenshot-only ]; then
  for lang in zh en; do
    picture=docs/mainwindow-windows.png
    [ "$lang" = en ] && picture=docs/mainwindow-windows-en.png
    start_program "$lang"
    screenshot "$picture"
    wineserver --kill > /dev/null 2>&1 || true
    sleep 2
    echo "saved $picture"
  done
  exit 0
fi
start_program zh

source_path=$(winepath -w "$work/source")
dest_path=$(winepath -w "$work/dest")
# A click into a field (its place in the window at 96 dots per inch), Ctrl+A, then typing
# replaces what the field held.
type_into() {
  local x=$1 y=$2 text=$3
  xdotool mousemove --window "$window" "$x" "$y" click 1
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 20 "$text"
  sleep 0.3
}
type_into 545 142 "$source_path"
type_into 545 212 "$dest_path"
xdotool key Return

for _ in $(seq 120); do
  [ -f "$work/source/无法打开的文件目录(文件格式有误).txt" ] && break
  sleep 1
done
sleep 2
import -display "$display" -window root "$work/after-run.png"
workbooks=$(find "$work/dest" -name '*.xlsx' | wc -l)
echo "window under Wine: $workbooks workbooks from examples/"
if [ "$workbooks" -lt 4 ]; then
  echo "the window did not convert examples/ (see $work/*.png)"
  exit 1
fi

# A second start hands over to the running copy and ends: one window stays.
timeout 60 wine "$work/program/Sheetweaver.exe" > /dev/null 2>&1 || true
windows=$(xdotool search --onlyvisible --name '^Sheetweaver' 2> /dev/null | wc -l)
if [ "$windows" -ne 1 ]; then
  echo "a second start left $windows windows"
  exit 1
fi
# The settings file beside the executable remembers the folders of the run.
if ! grep -q "window-check" "$work/program/Sheetweaver.qvr"; then
  echo "the settings file beside the program does not hold the folders"
  exit 1
fi
echo "window under Wine: converted, one running copy, settings kept"
