#!/usr/bin/python3
"""Compares a table-mode workbook with its Word document, both read by others' readers.

    /usr/bin/python3 compare_tables.py DOC.docx BOOK.xlsx

The document's tables are read with python-docx, the workbook with openpyxl. Table t must be
on sheet t, row for row from A1: the texts of a row's distinct cells, in order and without
the empty ones, must equal the row's non-empty values (a number matches the text it was
written as). Prints JSON: {"tables", "titles", "mismatches": ["Sheet2 row 3: ..."]}.
"""
import json
import sys

import docx
import openpyxl


def number_of(text):
    """The number a text stands for, or None."""
    cleaned = text.replace(",", "")
    scale = 1.0
    if cleaned.endswith("%"):
        cleaned, scale = cleaned[:-1], 0.01
    try:
        return float(cleaned) * scale
    except ValueError:
        return None


def unboxed(value):
    return value.translate({0x2610: None, 0x2611: None}) if isinstance(value, str) else value


def same(text, value):
    if isinstance(value, str):
        return value == text
    number = number_of(text)
    return number is not None and abs(number - float(value)) <= 1e-9 * max(1.0, abs(number))


def row_texts(table):
    """Per table row: the texts of the cells that row itself holds, in order, empty ones and
    vertical-merge continuations left out. The row's own w:tc elements are walked rather than
    python-docx's row.cells, which ignores gridBefore/gridAfter and so shifts cells."""
    rows = []
    for row in table.rows:
        texts = []
        for tc in row._tr.tc_lst:
            merge = tc.tcPr.vMerge if tc.tcPr is not None else None
            if merge is not None and merge.val != "restart":
                continue
            text = docx.table._Cell(tc, table).text.rstrip("\n")
            if text != "":
                texts.append(text)
        rows.append(texts)
    return rows


def main():
    document = docx.Document(sys.argv[1])
    book = openpyxl.load_workbook(sys.argv[2])
    mismatches = []
    for index, table in enumerate(document.tables):
        if index >= len(book.worksheets):
            mismatches.append("table %d has no sheet" % (index + 1))
            break
        sheet = book.worksheets[index]
        cells = list(sheet.iter_rows(values_only=True))
        for r, texts in enumerate(row_texts(table)):
            # python-docx gives no text for a legacy check box, which the converter shows as its
            # box character (checked against the document by the reader's own tests).
            values = [unboxed(v) for v in (cells[r] if r < len(cells) else ())]
            values = [v for v in values if v is not None and v != ""]
            if len(values) != len(texts) or not all(same(t, v) for t, v in zip(texts, values)):
                mismatches.append("%s row %d: %r != %r" % (sheet.title, r + 1, texts, values))
                break
    print(json.dumps({"tables": len(document.tables), "titles": book.sheetnames,
                      "mismatches": mismatches}, ensure_ascii=False))


if __name__ == "__main__":
    main()
