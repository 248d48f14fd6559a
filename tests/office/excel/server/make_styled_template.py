"""Write a template formatted by whole columns and rows, with openpyxl (.xlsx) or xlwt (.xls).

Usage: make_styled_template.py FILE
Sheet "Vorlage": column B bold red on yellow, width 20; columns D:F italic on grey; row 2
italic blue on green (the row's default format); A1 "Head" without a format; B1 "Name" with
a format of its own (no bold, blue fill) over the column's; C4 "plain" without a format.
"""
import sys


def write_xlsx(path):
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
    grey = ColumnDimension(sheet, index="D", min=4, max=6)  # one <col min="4" max="6">
    grey.font = Font(italic=True)
    grey.fill = PatternFill("solid", fgColor="C0C0C0")
    sheet.column_dimensions["D"] = grey
    row = sheet.row_dimensions[2]
    row.font = Font(italic=True, color="0000FF")
    row.fill = PatternFill("solid", fgColor="00FF00")
    sheet["B1"] = "Name"
    sheet["B1"].fill = PatternFill("solid", fgColor="0000FF")
    sheet["C4"] = "plain"
    book.save(path)


def write_xls(path):
    import xlwt

    book = xlwt.Workbook()
    sheet = book.add_sheet("Vorlage")
    sheet.write(0, 0, "Head")
    sheet.col(1).set_style(
        xlwt.easyxf("font: bold on, colour red; pattern: pattern solid, fore_colour yellow"))
    sheet.col(1).width = 20 * 256
    for column in range(3, 6):
        sheet.col(column).set_style(
            xlwt.easyxf("font: italic on; pattern: pattern solid, fore_colour grey25"))
    sheet.row(1).set_style(xlwt.easyxf(
        "font: italic on, colour blue; pattern: pattern solid, fore_colour bright_green"))
    sheet.write(0, 1, "Name", xlwt.easyxf("pattern: pattern solid, fore_colour blue"))
    sheet.write(3, 2, "plain")
    book.save(path)


if __name__ == "__main__":
    (write_xls if sys.argv[1].endswith(".xls") else write_xlsx)(sys.argv[1])
