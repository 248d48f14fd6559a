#!/usr/bin/env python3
"""Draws the program icon (a worksheet in front of a document) and writes app/images/qvr.ico.

Every size is drawn on its own, so small sizes stay sharp, and stored as a PNG image inside
the icon file (the ICONDIR / ICONDIRENTRY layout of the Windows icon format). The same images
go to packaging/icons/hicolor/<size>x<size>/apps/sheetweaver.png for the desktop's icon theme, and
the 256-pixel drawing once more as packaging/icons/hicolor/scalable/apps/sheetweaver.svg. Needs
Pillow (Debian: python3-pil). Run from anywhere: python3 scripts/make-icon.py
"""
import io
import os
import struct

from PIL import Image, ImageDraw

SIZES = [16, 24, 32, 48, 64, 128, 256]
PAPER = (255, 255, 255, 255)
INK = (64, 84, 120, 255)
DOC_EDGE = (43, 87, 154, 255)  # the document behind
SHEET_EDGE = (33, 115, 70, 255)  # the worksheet in front
HEADER = (33, 115, 70, 255)
GRID = (150, 190, 160, 255)


def scaled(size, *values):
    """Scale coordinates given on a 256-pixel canvas to the target size."""
    return [round(v * size / 256) for v in values]


def draw_document(draw, size):
    """The Word document: a page with a folded corner and lines of text."""
    left, top, right, bottom = scaled(size, 16, 8, 156, 196)
    fold = max(2, round(36 * size / 256))
    width = max(1, round(8 * size / 256))
    page = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    draw.polygon(page, fill=PAPER, outline=DOC_EDGE)
    draw.line(page + [page[0]], fill=DOC_EDGE, width=width)
    draw.line([(right - fold, top), (right - fold, top + fold), (right, top + fold)],
              fill=DOC_EDGE, width=width)
    if size < 24:
        return
    for row in range(5):
        y = top + fold + round((14 + row * 24) * size / 256)
        x1, x2 = scaled(size, 36, 136 if row % 2 == 0 else 112)
        if y < bottom - width * 2:
            draw.line([(left + x1 - scaled(size, 16)[0], y), (x2, y)], fill=INK,
                      width=max(1, round(6 * size / 256)))


def draw_sheet(draw, size):
    """The worksheet: a grid with a coloured header row and header column."""
    left, top, right, bottom = scaled(size, 92, 92, 248, 248)
    width = max(1, round(8 * size / 256))
    draw.rectangle([left, top, right, bottom], fill=PAPER)
    rows, cols = (3, 3) if size < 32 else (5, 4)
    cell_h = (bottom - top) / rows
    cell_w = (right - left) / cols
    draw.rectangle([left, top, right, round(top + cell_h)], fill=HEADER)
    draw.rectangle([left, top, round(left + cell_w * 0.6), bottom], fill=HEADER)
    for r in range(1, rows):
        y = round(top + r * cell_h)
        draw.line([(left, y), (right, y)], fill=GRID, width=max(1, width // 2))
    for c in range(1, cols):
        x = round(left + c * cell_w)
        draw.line([(x, top), (x, bottom)], fill=GRID, width=max(1, width // 2))
    draw.rectangle([left, top, right, bottom], outline=SHEET_EDGE, width=width)


def draw_icon(size):
    """One image of the icon at the given size."""
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw_document(draw, size)
    draw_sheet(draw, size)
    return image


class SvgDraw:
    """The few ImageDraw calls the icon uses, written as SVG elements instead of pixels."""

    def __init__(self):
        self.elements = []

    @staticmethod
    def colour(rgba):
        return "none" if rgba is None else "#%02x%02x%02x" % rgba[:3]

    def polygon(self, points, fill=None, outline=None):
        coords = " ".join("%g,%g" % point for point in points)
        self.elements.append('<polygon points="%s" fill="%s" stroke="%s"/>'
                             % (coords, self.colour(fill), self.colour(outline)))

    def line(self, points, fill=None, width=1):
        coords = " ".join("%g,%g" % point for point in points)
        self.elements.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="%g"/>'
                             % (coords, self.colour(fill), width))

    def rectangle(self, box, fill=None, outline=None, width=1):
        # Pillow's box includes its right and bottom pixels and draws the outline inside it;
        # an SVG stroke is centred on the edge, so the SVG rectangle is inset by half a stroke.
        left, top, right, bottom = box
        inset = width / 2 if outline else 0
        self.elements.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s" stroke="%s" '
                             'stroke-width="%g"/>'
                             % (left + inset, top + inset, right - left + 1 - 2 * inset,
                                bottom - top + 1 - 2 * inset, self.colour(fill),
                                self.colour(outline), width if outline else 0))

    def document(self, size):
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
                'viewBox="0 0 %d %d">\n%s\n</svg>\n'
                % (size, size, size, size, "\n".join(self.elements)))


def svg_text(size=256):
    """The icon drawn as SVG on a canvas of the given size."""
    draw = SvgDraw()
    draw_document(draw, size)
    draw_sheet(draw, size)
    return draw.document(size)


def png_bytes(image):
    """One image as a PNG file."""
    buffer = io.BytesIO()
    image.save(buffer, format="PNG")
    return buffer.getvalue()


def ico_bytes(images):
    """An icon file holding the images as PNG entries (ICONDIR, then one ICONDIRENTRY each)."""
    blobs = [png_bytes(image) for image in images]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for image, blob in zip(images, blobs):
        side = image.width if image.width < 256 else 0  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return header + entries + b"".join(blobs)


def write(path, data):
    """Write one output file, making its folder, and name it."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)
    print(path)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    images = [draw_icon(size) for size in SIZES]
    write(os.path.join(root, "app", "images", "qvr.ico"), ico_bytes(images))
    theme = os.path.join(root, "packaging", "icons", "hicolor")
    for size, image in zip(SIZES, images):
        write(os.path.join(theme, "%dx%d" % (size, size), "apps", "sheetweaver.png"),
              png_bytes(image))
    write(os.path.join(theme, "scalable", "apps", "sheetweaver.svg"), svg_text().encode())


if __name__ == "__main__":
    main()
