"""Write a template workbook with openpyxl (a writer we did not write).

Usage: make_template.py FILE
Sheet "Vorlage": A1 "Title" bold Arial 14 red on a yellow fill with a thin blue bottom
border, centred and wrapped; A2 1234.5 with "#,##0.00"; B2 True; A3 "x_x0041_y" (escaped on
disk); merge A1:C1; column A width 25, row 1 height 30. Sheet "Second": B3 "inline" as an
inline string is not possible with openpyxl, so B3 is a plain string; a theme-coloured fill
on C3.
"""
import sys

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.styles.colors import Color

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Vorlage"
sheet["A1"] = "Title"
sheet["A1"].font = Font(name="Arial", size=14, bold=True, color="FF0000")
sheet["A1"].fill = PatternFill("solid", fgColor="FFFF00")
sheet["A1"].border = Border(bottom=Side(style="thin", color="0000FF"))
sheet["A1"].alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
sheet["A2"] = 1234.5
sheet["A2"].number_format = "#,##0.00"
sheet["B2"] = True
sheet["A3"] = "x_x0041_y"
sheet.merge_cells("A1:C1")
sheet.column_dimensions["A"].width = 25
sheet.row_dimensions[1].height = 30
second = book.create_sheet("Second")
second["B3"] = "plain"
second["C3"].fill = PatternFill("solid", fgColor=Color(theme=4))
book.save(sys.argv[1])
