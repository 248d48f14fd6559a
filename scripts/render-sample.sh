#!/usr/bin/env bash
# Saves docs/document-and-workbook.png: one sample document from examples/ rendered beside the
# workbook the converter makes of it, both rendered the same way (LibreOffice to PDF, then to
# PNG at 60 dots per inch). Each page is cropped to what it shows: the document's first page on
# the left, the workbook's pages (columns a page could not hold come on the next) on the right. Run by hand; LibreOffice (soffice), pdftoppm
# (poppler-utils) and Python's PIL are needed here only, never by the build.
# Usage: scripts/render-sample.sh [BUILD_DIR] [DOCUMENT]
set -euo pipefail
build="${1:-build}"
document="${2:-examples/请假申请表.docx}"
cd "$(dirname "$0")/.."
converter="$build/bin/sheetweaver-convert"
if [ ! -x "$converter" ]; then
  cmake --build "$build" --target sheetweaver-convert
fi
python="${PYTHON:-/usr/bin/python3}"
for tool in soffice pdftoppm "$python"; do
  if ! command -v "$tool" > /dev/null; then
    echo "$tool is missing (Debian packages libreoffice-calc-nogui libreoffice-writer-nogui," \
      "poppler-utils, python3-pil)" >&2
    exit 1
  fi
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/pdf" "$work/profile"
cp "$document" "$work/in/sample.docx"
"$converter" "$work/in" "$work/out" > /dev/null
# A profile of its own, so that a LibreOffice the user has open is left alone. Both files
# are called sample, so each PDF gets a folder of its own.
for kind in document workbook; do
  source="$work/in/sample.docx"
  [ "$kind" = workbook ] && source="$work/out/sample.xlsx"
  soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf \
    --outdir "$work/pdf/$kind" "$source" > /dev/null
  pdftoppm -png -r 60 "$work/pdf/$kind/sample.pdf" "$work/$kind"
done
mkdir -p docs
"$python" - "$work" docs/document-and-workbook.png <<'PY'
import glob
import sys
from PIL import Image, ImageChops, ImageDraw

work, target = sys.argv[1:3]
margin = 12


def cropped(path):
    page = Image.open(path).convert("RGB")
    box = ImageChops.invert(page).getbbox() or (0, 0, page.width, page.height)
    return page.crop((max(0, box[0] - margin), max(0, box[1] - margin),
                      min(page.width, box[2] + margin), min(page.height, box[3] + margin)))


pictures = [cropped(sorted(glob.glob(work + "/document*.png"))[0])]
pictures += [cropped(path) for path in sorted(glob.glob(work + "/workbook*.png"))]
gap = 24
width = sum(p.width for p in pictures) + gap * (len(pictures) - 1)
canvas = Image.new("RGB", (width, max(p.height for p in pictures)), "white")
x = 0
for index, picture in enumerate(pictures):
    canvas.paste(picture, (x, 0))
    x += picture.width + gap
    if index == 0:
        ImageDraw.Draw(canvas).line([(x - gap // 2, 0), (x - gap // 2, canvas.height)],
                                    fill=(160, 160, 160), width=2)
canvas.save(target)
PY
echo "saved docs/document-and-workbook.png"
