"""Print the row heights of a workbook as JSON, read with openpyxl (.xlsx) or xlrd (.xls),
readers we did not write.

Usage: row_heights.py FILE -> {"ROW": [height in points or null, custom height flag]} for the
first sheet, rows 1-based; rows the file does not list are left out.
"""
import json
import sys


def xlsx_heights(path):
    import openpyxl
    import zipfile
    import xml.etree.ElementTree as ElementTree

    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    # openpyxl derives customHeight from the height, so the flag is read from the XML.
    name = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}row"
    with zipfile.ZipFile(path) as package:
        root = ElementTree.fromstring(package.read("xl/worksheets/sheet1.xml"))
    custom = {row.get("r"): row.get("customHeight") in ("1", "true") for row in root.iter(name)}
    out = {}
    for row, dimension in sheet.row_dimensions.items():
        if dimension.ht is not None:
            out[str(row)] = [float(dimension.ht), custom.get(str(row), False)]
    return out


def xls_heights(path):
    import xlrd
    sheet = xlrd.open_workbook(path, formatting_info=True).sheet_by_index(0)
    out = {}
    for row, info in sheet.rowinfo_map.items():
        out[str(row + 1)] = [info.height / 20.0, bool(info.height_mismatch)]
    return out


path = sys.argv[1]
print(json.dumps(xls_heights(path) if path.lower().endswith(".xls") else xlsx_heights(path)))
