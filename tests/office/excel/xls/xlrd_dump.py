"""Dump an .xls workbook as JSON through xlrd, a reader we did not write.

Usage: python3 xlrd_dump.py FILE
Prints {"sheets": [...], "active": n}; each sheet lists its cells ("row,col", 0-based) with value and resolved
format (font, fill, borders, alignment, number format), merges, column widths and row heights.
"""
import json
import sys

import xlrd


def rgb(book, index):
    colour = book.colour_map.get(index)
    if colour is None:
        return None
    return "%02X%02X%02X" % colour


def cell_format(book, xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    border = xf.border
    return {
        "xf": xf_index,
        "font": {
            "name": font.name,
            "height": font.height,
            "weight": font.weight,
            "bold": bool(font.bold),
            "italic": bool(font.italic),
            "underline": font.underline_type,
            "struck": bool(font.struck_out),
            "color": rgb(book, font.colour_index),
        },
        "fill": {
            "pattern": xf.background.fill_pattern,
            "color": rgb(book, xf.background.pattern_colour_index),
        },
        "borders": {
            side: {
                "style": getattr(border, side + "_line_style"),
                "color": rgb(book, getattr(border, side + "_colour_index")),
            }
            for side in ("left", "right", "top", "bottom")
        },
        "align": {
            "hor": xf.alignment.hor_align,
            "vert": xf.alignment.vert_align,
            "wrap": xf.alignment.text_wrapped,
        },
        "numfmt": book.format_map[xf.format_key].format_str,
    }


def dump_sheet(book, sheet):
    cells = {}
    for r in range(sheet.nrows):
        for c in range(sheet.row_len(r)):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            entry = {"type": cell.ctype, "value": cell.value}
            entry["format"] = cell_format(book, cell.xf_index)
            cells["%d,%d" % (r, c)] = entry
    return {
        "name": sheet.name,
        "nrows": sheet.nrows,
        "ncols": sheet.ncols,
        "cells": cells,
        "merges": [list(m) for m in sheet.merged_cells],
        "widths": {str(k): v.width for k, v in sheet.colinfo_map.items()},
        "heights": {str(k): [v.height, v.height_mismatch] for k, v in sheet.rowinfo_map.items()},
    }


def main():
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True, ragged_rows=True)
    out = {
        "sheets": [dump_sheet(book, book.sheet_by_index(i)) for i in range(book.nsheets)],
        "active": [s.sheet_selected for s in book.sheets()].index(1)
        if any(s.sheet_selected for s in book.sheets()) else -1,
    }
    json.dump(out, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
