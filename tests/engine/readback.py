#!/usr/bin/python3
"""Prints a workbook as JSON, read with openpyxl (a reader we did not write).

    /usr/bin/python3 readback.py BOOK.xlsx
    /usr/bin/python3 readback.py --titles BOOK.xlsx...

{"sheets": [{"title", "merged": ["A1:B2"], "widths": {"A": 12.0},
             "cells": {"A1": {"value", "type", "format", "bold", "italic", "font", "size",
                              "color"}}}]}
"""
import json
import sys

import openpyxl


def color_of(font):
    color = font.color
    if color is None or color.type != "rgb" or not isinstance(color.rgb, str):
        return None
    return color.rgb


def cell_of(cell):
    value = cell.value
    kind = "number" if isinstance(value, (int, float)) and not isinstance(value, bool) else type(value).__name__
    return {"value": value if kind in ("number", "str") else str(value), "type": kind,
            "format": cell.number_format, "bold": bool(cell.font.b), "italic": bool(cell.font.i),
            "font": cell.font.name, "size": float(cell.font.sz) if cell.font.sz else None,
            "color": color_of(cell.font)}


def sheet_of(sheet):
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                cells[cell.coordinate] = cell_of(cell)
    widths = {key: dim.width for key, dim in sheet.column_dimensions.items() if dim.customWidth}
    return {"title": sheet.title, "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
            "widths": widths, "cells": cells}


def titles_of(path):
    """Sheet titles; .xls files are read with xlrd."""
    if path.endswith(".xls"):
        import xlrd
        return xlrd.open_workbook(path).sheet_names()
    return openpyxl.load_workbook(path, read_only=True).sheetnames


def main():
    if sys.argv[1] == "--titles":
        # Only the sheet titles of many workbooks: {"path": ["Sheet1", ...]}.
        titles = {path: titles_of(path) for path in sys.argv[2:]}
        print(json.dumps(titles, ensure_ascii=False))
        return
    book = openpyxl.load_workbook(sys.argv[1])
    print(json.dumps({"sheets": [sheet_of(sheet) for sheet in book.worksheets]}, ensure_ascii=False))


if __name__ == "__main__":
    main()
