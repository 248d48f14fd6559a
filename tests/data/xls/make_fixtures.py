"""Make the .xls fixtures of tests/office/excel/xls with python3-xlwt (run with /usr/bin/python3).

xlwt_template.xls: a template as another program writes it: two sheets, bold and coloured
header cells, borders, a fill, wrapped and centred text, number formats, a merge, column
widths, row heights, Chinese text and a line feed, numbers written as RK/MULRK and NUMBER,
booleans, a formula with a cached result, and a string of 9,000 characters that makes the
shared string table continue.

sheetweaver_small.xls and sheetweaver_small.biff (the bare "Workbook" stream of the same
file) were written by the program's own .xls writer; they seed the reader's fuzz target.
"""
import xlwt


def main():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("模板")
    header = xlwt.easyxf(
        "font: name Arial, bold on, height 240, colour red;"
        "pattern: pattern solid, fore_colour yellow;"
        "borders: left thin, right medium, top thin, bottom double;"
        "align: horiz center, vert top, wrap on")
    sheet.write(0, 0, "编号", header)
    sheet.write(0, 1, "Name\nsecond line", header)
    sheet.write(0, 2, "Amount", header)
    sheet.write_merge(1, 2, 0, 1, "merged A2:B3")
    sheet.write(1, 2, 1234.5, xlwt.easyxf(num_format_str="#,##0.00"))
    sheet.write(2, 2, 0.125, xlwt.easyxf(num_format_str="0.0%"))
    sheet.write(3, 0, 42)
    sheet.write(3, 1, -7)
    sheet.write(3, 2, 3.14159265358979)
    sheet.write(4, 0, True)
    sheet.write(4, 1, False)
    sheet.write(4, 2, xlwt.Formula("A4*2"))
    sheet.write(5, 0, "x" * 9000)
    sheet.write(6, 0, "", xlwt.easyxf("pattern: pattern solid, fore_colour light_green"))
    sheet.col(0).width = 20 * 256
    sheet.col(2).width = 4000
    sheet.row(0).height_mismatch = True
    sheet.row(0).height = 600
    other = book.add_sheet("Second")
    other.write(0, 0, "second sheet")
    other.write(1, 1, 2.5)
    book.save("xlwt_template.xls")


if __name__ == "__main__":
    main()
