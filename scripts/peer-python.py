#!/usr/bin/env python3
"""The same job as the converter, written the way a user would with python-docx and openpyxl.

    scripts/peer-python.py [--tables] SOURCE DEST

Every .docx under SOURCE becomes an .xlsx under DEST at the same relative place. Whole-document
mode writes each paragraph to a row of column A and each table's cells to the rows below it;
--tables writes one sheet per table. It is the yardstick of scripts/bench-conversion.sh, which
compares its CPU time with the converter's on the same tree.
"""
import os
import sys

import docx
import openpyxl


def table_rows(table):
    """The cell texts of a table, row by row."""
    return [[cell.text for cell in row.cells] for row in table.rows]


def whole_document(document, sheet):
    """Paragraphs and tables in body order, one row per paragraph or table row."""
    paragraphs = {p._element: p for p in document.paragraphs}
    tables = {t._element: t for t in document.tables}
    for element in document.element.body.iterchildren():
        if element in paragraphs:
            sheet.append([paragraphs[element].text])
        elif element in tables:
            for row in table_rows(tables[element]):
                sheet.append(row)


def tables_only(document, book):
    """One sheet per table, named Sheet1, Sheet2, ..."""
    sheet = book.active
    for index, table in enumerate(document.tables):
        if index > 0:
            sheet = book.create_sheet()
        sheet.title = "Sheet%d" % (index + 1)
        for row in table_rows(table):
            sheet.append(row)


def convert(source, target, tables):
    """One document to one workbook."""
    document = docx.Document(source)
    book = openpyxl.Workbook()
    if tables:
        tables_only(document, book)
    else:
        whole_document(document, book.active)
    book.save(target)


def main():
    arguments = sys.argv[1:]
    tables = "--tables" in arguments
    folders = [a for a in arguments if a != "--tables"]
    if len(folders) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    source, dest = folders
    converted = failed = 0
    for root, _, files in os.walk(source):
        for name in sorted(files):
            if not name.endswith(".docx") or "~$" in name:
                continue
            folder = os.path.join(dest, os.path.relpath(root, source))
            os.makedirs(folder, exist_ok=True)
            try:
                convert(os.path.join(root, name), os.path.join(folder, name[:-5] + ".xlsx"), tables)
                converted += 1
            except Exception as error:  # a bad document is counted, as the converter does
                print("%s: %s" % (name, error), file=sys.stderr)
                failed += 1
    print("%d converted, %d failed" % (converted, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
