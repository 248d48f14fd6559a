#!/usr/bin/env bash
# Builds the Debian package of a build folder, installs it into a fresh dpkg root in a
# temporary folder (nothing of the machine's own installation is touched), runs the installed
# converter on a copy of examples/ and removes the package again.
# Usage (from the repository root): check-package.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/package" > "$work/cpack.log") ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/package/sheetweaver_*.deb)

# Control fields: dependencies computed from the executables, and the project as maintainer.
control=$(dpkg-deb --field "$deb")
for field in 'Depends: .*libqt5core5a' 'Depends: .*libquazip1-qt5' 'Section: utils' \
             'Maintainer: The Sheetweaver project'; do
  grep -q "^$field" <<< "$control" || fail "control field $field in: $control"
done
# Compound files are read by the program's own code.
! grep -q 'libgsf' <<< "$control" || fail "the package depends on libgsf: $control"

# A dpkg root of its own: an empty package database under the temporary folder.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg_root=(dpkg "--root=$root" --force-depends --log=/dev/null)
if [ "$(id -u)" -ne 0 ]; then
  dpkg_root+=(--force-not-root)
fi
"${dpkg_root[@]}" -i "$deb" > "$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }

for file in usr/bin/Sheetweaver usr/bin/sheetweaver-convert \
            usr/share/applications/org.sheetweaver.Sheetweaver.desktop \
            usr/share/metainfo/org.sheetweaver.Sheetweaver.metainfo.xml \
            usr/share/icons/hicolor/16x16/apps/sheetweaver.png \
            usr/share/icons/hicolor/256x256/apps/sheetweaver.png \
            usr/share/icons/hicolor/scalable/apps/sheetweaver.svg \
            usr/share/man/man1/sheetweaver-convert.1.gz usr/share/man/man1/Sheetweaver.1.gz; do
  [ -f "$root/$file" ] || fail "not installed: /$file"
done

# The installed converter: its version, then a run over a copy of examples/ (which holds one
# broken document and, among the filled forms, one damaged return, so the run ends with
# status 1 and a failure report).
version=$("$root/usr/bin/sheetweaver-convert" --version)
[[ "$version" == "sheetweaver-convert "* ]] || fail "--version printed: $version"
cp -r examples "$work/source"
mkdir "$work/out"
status=0
"$root/usr/bin/sheetweaver-convert" --quiet "$work/source" "$work/out" > "$work/summary" ||
  status=$?
[ "$status" -eq 1 ] || fail "conversion of examples/ exited $status"
grep -q '成功转换11个Word文件' "$work/summary" || fail "summary: $(cat "$work/summary")"
[ -f "$work/out/报告/季度报告.xlsx" ] || fail "no workbook for 报告/季度报告.docx"
MANWIDTH=80 man -l "$root/usr/share/man/man1/sheetweaver-convert.1.gz" |
  grep -q -- '--last-row' || fail "installed manual page"

# The installed window program keeps its settings in the user's configuration folder and
# creates the file there (it lies beside its installed desktop entry). It runs as a copy under
# another name: the program ends other running copies of "Sheetweaver", and a window the user
# has open must not be one of them.
cp "$root/usr/bin/Sheetweaver" "$root/usr/bin/sheetweaver-window-check"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" \
  "$root/usr/bin/sheetweaver-window-check" > "$work/window.log" 2>&1 &
window=$!
for _ in $(seq 100); do
  [ -f "$work/config/Sheetweaver/Sheetweaver.qvr" ] && break
  sleep 0.1
done
kill "$window" 2> /dev/null || true
wait "$window" 2> /dev/null || true
[ -f "$work/config/Sheetweaver/Sheetweaver.qvr" ] ||
  fail "no settings file in the configuration folder: $(cat "$work/window.log")"
rm "$root/usr/bin/sheetweaver-window-check"

"${dpkg_root[@]}" -r sheetweaver > "$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log" >&2; fail "dpkg -r"; }
left=$(find "$root" -path "$root/var" -prune -o -type f -print)
[ -z "$left" ] || fail "left after dpkg -r: $left"
echo "installed $(basename "$deb"), converted examples/, removed"
