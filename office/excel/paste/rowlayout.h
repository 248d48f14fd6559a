#pragma once

#include "office/excel/model/worksheet.h"

#include <vector>

// Row heights as a paste lays them out: every row tall enough for the text of its cells.
//
// A cell needs its lines (line feeds, plus the wrapping its wrap-text alignment causes at
// its column's width) times the line height of its font (TextMetrics). A row without a
// custom height gets the height its tallest cell needs, never less than the sheet's
// default; a row that needs no more than the default returns to it. Cells under a merged
// range are measured as one: when the range's rows together are shorter than its top-left
// text needs, the range's last row grows. Rows with a custom height keep it.
class RowLayout {
public:
    // Fit rows first..last (and the merged ranges reaching into them). `minimums` holds a
    // height per row from `firstRow` that a row must keep at least (< 0 or missing: none).
    static void fitRows(Worksheet& sheet, int firstRow, int lastRow,
                        const std::vector<double>& minimums = {});
    // Fit every row that holds cells or a fitted height (after column widths changed).
    static void fitSheet(Worksheet& sheet);
    // Height in points the value of the cell at (row, column) needs in a cell `pixels`
    // wide; 0 for an empty cell.
    static double cellNeed(const Worksheet& sheet, int row, int column, int pixels);
};
