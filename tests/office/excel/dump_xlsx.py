"""Dump an .xlsx/.xlsm file as JSON with openpyxl, a reader independent of ours.

Usage: dump_xlsx.py FILE  -> prints one JSON object:
{"sheets": [{"name", "cells": {"A1": {...}}, "merges", "widths", "heights", "rowStyles",
"columnStyles"}], "active"}; rowStyles maps a row with customFormat to its font and fill,
columnStyles maps a column run "min:max" with a style to its font and fill.
"""
import json
import sys

import openpyxl


def color_of(color):
    if color is None or color.type != "rgb" or color.rgb is None:
        return None
    return str(color.rgb)[-6:].upper()


def side_of(side):
    if side is None or side.style is None:
        return None
    return [side.style, color_of(side.color)]


def cell_of(cell):
    value = cell.value
    kind = {"n": "n", "s": "s", "b": "b", "e": "e"}.get(cell.data_type, cell.data_type)
    font = cell.font
    fill = cell.fill
    fill_color = None
    if fill is not None and fill.fill_type == "solid":
        fill_color = color_of(fill.fgColor)
    return {
        "value": value,
        "type": kind,
        "format": cell.number_format,
        "font": {
            "name": font.name,
            "size": float(font.sz) if font.sz is not None else None,
            "bold": bool(font.b),
            "italic": bool(font.i),
            "strike": bool(font.strike),
            "underline": font.u,
            "color": color_of(font.color),
        },
        "fill": fill_color,
        "border": {
            "left": side_of(cell.border.left),
            "right": side_of(cell.border.right),
            "top": side_of(cell.border.top),
            "bottom": side_of(cell.border.bottom),
        },
        "horizontal": cell.alignment.horizontal,
        "vertical": cell.alignment.vertical,
        "wrap": bool(cell.alignment.wrap_text),
    }


def style_of(dim):
    fill = dim.fill
    fill_color = None
    if fill is not None and fill.fill_type == "solid":
        fill_color = color_of(fill.fgColor)
    return {
        "font": {"bold": bool(dim.font.b), "italic": bool(dim.font.i),
                 "color": color_of(dim.font.color)},
        "fill": fill_color,
    }


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    out = {"sheets": [], "active": book.index(book.active)}
    for sheet in book.worksheets:
        cells = {}
        for (row, column), cell in sorted(sheet._cells.items()):
            cells[cell.coordinate] = cell_of(cell)
        widths = {}
        for key, dim in sheet.column_dimensions.items():
            if dim.customWidth and dim.width is not None:
                widths[key] = dim.width
        heights = {}
        for key, dim in sheet.row_dimensions.items():
            if dim.ht is not None:
                heights[str(key)] = dim.ht
        row_styles = {}
        for key, dim in sheet.row_dimensions.items():
            if dim.customFormat:
                row_styles[str(key)] = style_of(dim)
        column_styles = {}
        for key, dim in sheet.column_dimensions.items():
            if dim.style_id:
                column_styles["%d:%d" % (dim.min, dim.max)] = style_of(dim)
        out["sheets"].append({
            "name": sheet.title,
            "cells": cells,
            "merges": sorted(str(r) for r in sheet.merged_cells.ranges),
            "widths": widths,
            "heights": heights,
            "rowStyles": row_styles,
            "columnStyles": column_styles,
        })
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
