"""Write a template formatted by whole columns and rows with openpyxl.

Usage: make_styled_template.py FILE
Sheet "Vorlage": column B bold red on yellow, width 20; columns D:F italic on grey
(one <col min="4" max="6">); row 2 italic blue on green (row style, customFormat); A1
"Head" without a format; B1 "Name" with a format of its own (no bold, blue fill) over the
column's; C4 "plain" without a format.
"""
import sys

import openpyxl
from openpyxl.styles import Font, PatternFill
from openpyxl.worksheet.dimensions import ColumnDimension

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Vorlage"
sheet["A1"] = "Head"
column = sheet.column_dimensions["B"]
column.font = Font(bold=True, color="FF0000")
column.fill = PatternFill("solid", fgColor="FFFF00")
column.width = 20
grey = ColumnDimension(sheet, index="D", min=4, max=6)
grey.font = Font(italic=True)
grey.fill = PatternFill("solid", fgColor="C0C0C0")
sheet.column_dimensions["D"] = grey
row = sheet.row_dimensions[2]
row.font = Font(italic=True, color="0000FF")
row.fill = PatternFill("solid", fgColor="00FF00")
sheet["B1"] = "Name"
sheet["B1"].fill = PatternFill("solid", fgColor="0000FF")
sheet["C4"] = "plain"
book.save(sys.argv[1])
