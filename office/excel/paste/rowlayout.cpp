#include "office/excel/paste/rowlayout.h"

#include "office/excel/paste/textmetrics.h"

#include <algorithm>

namespace {

/* Whether (row, column) lies under one of `merges`. */
bool isMerged(const std::vector<CellRange>& merges, int row, int column) {
    return std::any_of(merges.begin(), merges.end(),
                       [&](const CellRange& m) { return m.contains(row, column); });
}

/* The merges that reach into rows first..last. */
std::vector<CellRange> mergesInRows(const Worksheet& sheet, int firstRow, int lastRow) {
    std::vector<CellRange> found;
    for (const CellRange& merge : sheet.merges()) {
        if (merge.lastRow >= firstRow && merge.firstRow <= lastRow) {
            found.push_back(merge);
        }
    }
    return found;
}

/* The rows first..last that hold cells, a fitted height or a minimum, in order. */
std::vector<int> rowsToFit(const Worksheet& sheet, int firstRow, int lastRow,
                           const std::vector<double>& minimums) {
    std::vector<int> rows;
    const auto& cells = sheet.rows();
    for (auto it = cells.lower_bound(firstRow); it != cells.end() && it->first <= lastRow; ++it) {
        rows.push_back(it->first);
    }
    const auto& heights = sheet.rowHeights();
    for (auto it = heights.lower_bound(firstRow); it != heights.end() && it->first <= lastRow;
         ++it) {
        rows.push_back(it->first);
    }
    for (size_t r = 0; r < minimums.size(); ++r) {
        if (minimums[r] >= 0) {
            rows.push_back(firstRow + static_cast<int>(r));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

/* The height one row's own cells (those under no merge) need, at least `minimum`. */
double rowNeed(const Worksheet& sheet, int row, const std::vector<CellRange>& merges,
               double minimum) {
    double need = std::max(minimum, Worksheet::kDefaultRowHeight);
    const auto found = sheet.rows().find(row);
    if (found == sheet.rows().end()) {
        return need;
    }
    for (const Cell& cell : found->second.cells) {
        if (cell.hasValue() && !isMerged(merges, row, cell.column)) {
            const int pixels = TextMetrics::columnPixels(sheet.columnWidth(cell.column));
            need = std::max(need, RowLayout::cellNeed(sheet, row, cell.column, pixels));
        }
    }
    return need;
}

/* Grow the last row of a merged range when its rows are shorter than its text needs. */
void fitMerge(Worksheet& sheet, const CellRange& merge) {
    int pixels = 0;
    for (int c = merge.firstColumn; c <= merge.lastColumn && pixels < 1 << 20; ++c) {
        pixels += TextMetrics::columnPixels(sheet.columnWidth(c));
    }
    const double need = RowLayout::cellNeed(sheet, merge.firstRow, merge.firstColumn, pixels);
    double have = 0;
    for (int r = merge.firstRow; r <= merge.lastRow && have < need; ++r) {
        have += sheet.rowHeight(r);
    }
    if (have >= need || sheet.hasCustomHeight(merge.lastRow)) {
        return;
    }
    const double grown = sheet.rowHeight(merge.lastRow) + need - have;
    sheet.setFittedRowHeight(
        merge.lastRow, std::min(TextMetrics::kMaxRowHeight, TextMetrics::roundUpToPixel(grown)));
}

}  // namespace

/* Height of a cell's value in a cell of the given width. */
double RowLayout::cellNeed(const Worksheet& sheet, int row, int column, int pixels) {
    const Cell* cell = sheet.cell(row, column);
    if (cell == nullptr || !cell->hasValue()) {
        return 0;
    }
    const CellFormat& format = sheet.format(row, column);
    const double size = format.fontSize > 0 ? format.fontSize : TextMetrics::kDefaultFontSize;
    const int lines =
        cell->kind == Cell::Kind::Text
            ? TextMetrics::lineCount(cell->text, size, format.wrap, TextMetrics::textWidth(pixels))
            : 1;
    return TextMetrics::cellHeight(lines, size);
}

/* Fit the rows of a range, then the merges reaching into it. */
void RowLayout::fitRows(Worksheet& sheet, int firstRow, int lastRow,
                        const std::vector<double>& minimums) {
    std::vector<CellRange> merges = mergesInRows(sheet, firstRow, lastRow);
    std::sort(merges.begin(), merges.end(),
              [](const CellRange& a, const CellRange& b) { return a.firstRow < b.firstRow; });
    // Rows go in order: the merges over the current row are those begun and not yet ended.
    std::vector<CellRange> active;
    size_t next = 0;
    for (const int row : rowsToFit(sheet, firstRow, lastRow, minimums)) {
        for (; next < merges.size() && merges[next].firstRow <= row; ++next) {
            active.push_back(merges[next]);
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [row](const CellRange& m) { return m.lastRow < row; }),
                     active.end());
        if (sheet.hasCustomHeight(row)) {
            continue;
        }
        const size_t at = static_cast<size_t>(row - firstRow);
        const double minimum = at < minimums.size() ? minimums[at] : -1;
        const double need = rowNeed(sheet, row, active, minimum);
        sheet.setFittedRowHeight(row, need > Worksheet::kDefaultRowHeight ? need : -1);
    }
    for (const CellRange& merge : merges) {
        fitMerge(sheet, merge);
    }
}

/* Fit the whole sheet's rows. */
void RowLayout::fitSheet(Worksheet& sheet) {
    int first = kMaxRows + 1;
    int last = 0;
    if (!sheet.rows().empty()) {
        first = sheet.rows().begin()->first;
        last = sheet.rows().rbegin()->first;
    }
    if (!sheet.rowHeights().empty()) {
        first = std::min(first, sheet.rowHeights().begin()->first);
        last = std::max(last, sheet.rowHeights().rbegin()->first);
    }
    if (first <= last) {
        fitRows(sheet, first, last);
    }
}
