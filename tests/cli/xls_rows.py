#!/usr/bin/python3
"""Prints the sheets of .xls workbooks as JSON, read with xlrd (a reader we did not write).

    /usr/bin/python3 xls_rows.py BOOK.xls...

{"BOOK.xls": [[["cell", "cell"], ...], ...]}: per workbook its sheets, per sheet its rows,
per row the values of its non-empty cells from left to right (numbers as Python would print
them, an integral number without ".0").
"""
import json
import sys

import xlrd


def value_text(cell):
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        number = cell.value
        return str(int(number)) if number == int(number) else repr(number)
    return str(cell.value)


def main():
    books = {}
    for path in sys.argv[1:]:
        book = xlrd.open_workbook(path)
        sheets = []
        for sheet in book.sheets():
            rows = []
            for r in range(sheet.nrows):
                cells = [value_text(c) for c in sheet.row(r)
                         if c.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)]
                rows.append(cells)
            sheets.append(rows)
        books[path] = sheets
    json.dump(books, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    sys.exit(main())
