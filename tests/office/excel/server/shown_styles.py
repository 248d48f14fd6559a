"""Print the format a workbook shows at given cells, read with openpyxl (.xlsx) or xlrd (.xls).

Usage: shown_styles.py FILE ROW,COLUMN...   (1-based)
Prints one word per position, as Excel resolves it (the cell's own format, else its row's
default, else its column's): "B" when bold, "I" when italic, "-" when neither, then ":" and
the solid fill as RRGGBB when there is one; e.g. "B:FFFF00 -:0000FF -".
"""
import sys


def word(bold, italic, fill):
    text = ("B" if bold else "") + ("I" if italic else "") or "-"
    return text + ":" + fill if fill else text


def xlsx_styles(path, positions):
    import openpyxl

    sheet = openpyxl.load_workbook(path).worksheets[0]
    for row, column in positions:
        owner = sheet._cells.get((row, column))
        if owner is None and sheet.row_dimensions[row].customFormat:
            owner = sheet.row_dimensions[row]
        if owner is None:
            owner = next((d for d in sheet.column_dimensions.values()
                          if d.style_id and d.min <= column <= d.max), None)
        if owner is None:
            yield "-"
            continue
        fill = owner.fill
        rgb = fill.fgColor.rgb if fill is not None and fill.fill_type == "solid" else None
        yield word(owner.font.b, owner.font.i, str(rgb)[-6:].upper() if rgb else None)


def xls_styles(path, positions):
    import xlrd

    book = xlrd.open_workbook(path, formatting_info=True, ragged_rows=True)
    sheet = book.sheet_by_index(0)
    for row, column in positions:
        r, c = row - 1, column - 1
        if r < sheet.nrows and c < sheet.row_len(r):
            xf_index = sheet.cell_xf_index(r, c)
        elif r in sheet.rowinfo_map and sheet.rowinfo_map[r].has_default_xf_index:
            xf_index = sheet.rowinfo_map[r].xf_index
        else:
            xf_index = sheet.colinfo_map[c].xf_index if c in sheet.colinfo_map else 15
        xf = book.xf_list[xf_index]
        font = book.font_list[xf.font_index]
        fill = None
        if xf.background.fill_pattern:
            rgb = book.colour_map.get(xf.background.pattern_colour_index)
            fill = "%02X%02X%02X" % rgb if rgb else "??????"
        yield word(font.bold, font.italic, fill)


if __name__ == "__main__":
    positions = [tuple(map(int, p.split(","))) for p in sys.argv[2:]]
    styles = xls_styles if sys.argv[1].endswith(".xls") else xlsx_styles
    print(" ".join(styles(sys.argv[1], positions)))
