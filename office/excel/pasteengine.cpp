#include "office/excel/pasteengine.h"

#include "office/excel/numberrule.h"

#include <QHash>

namespace {

// Above this many cells an explicit range is cut to the used part of the sheet.
const long long kMaxCopiedCells = 4LL * 1024 * 1024;

/* The first column of the run of equal widths that reaches the sheet's last column, or 0. */
int trailingWidthRun(const Worksheet& sheet) {
    const auto& widths = sheet.columnWidths();
    if (widths.empty() || widths.rbegin()->first != kMaxColumns) {
        return 0;
    }
    auto it = widths.rbegin();
    const double width = it->second;
    int first = it->first;
    for (++it; it != widths.rend() && it->first == first - 1 && it->second == width; ++it) {
        first = it->first;
    }
    return first;
}

/* The last column whose width a whole-row copy must carry one by one. */
int lastDistinctWidthColumn(const Worksheet& sheet) {
    const auto& widths = sheet.columnWidths();
    if (widths.empty()) {
        return 0;
    }
    const int run = trailingWidthRun(sheet);
    // A run of equal widths to the last column travels as one trailing width instead of
    // 16,384 columns of cells.
    return run > 0 ? run - 1 : widths.rbegin()->first;
}

/* The part of `range` a copy really takes. */
CellRange effectiveRange(const Worksheet& sheet, const CellRange& range) {
    CellRange area = range;
    const bool huge =
        static_cast<long long>(range.rowCount()) * range.columnCount() > kMaxCopiedCells;
    if (range.isWholeColumns() || huge) {
        area.lastRow =
            qMax(area.firstRow,
                 qMin(area.lastRow, sheet.lastRowInColumns(area.firstColumn, area.lastColumn)));
    }
    if (range.isWholeRows() || huge) {
        int last = sheet.lastColumnInRows(area.firstRow, area.lastRow);
        if (range.isWholeRows()) {
            last = qMax(last, lastDistinctWidthColumn(sheet));
        }
        area.lastColumn = qMax(area.firstColumn, qMin(area.lastColumn, last));
    }
    return area;
}

/* The fragment's kind for a cell's kind (the two enums order their values differently). */
FragmentCell::Kind fragmentKind(Cell::Kind kind) {
    switch (kind) {
        case Cell::Kind::Number:
            return FragmentCell::Kind::Number;
        case Cell::Kind::Text:
            return FragmentCell::Kind::Text;
        case Cell::Kind::Boolean:
            return FragmentCell::Kind::Boolean;
        case Cell::Kind::Empty:
            break;
    }
    return FragmentCell::Kind::Empty;
}

/* Set a number format on a cell whose format has none. */
void applyNumberFormat(Worksheet& sheet, int row, int column, const QString& numberFormat) {
    if (numberFormat.isEmpty()) {
        return;
    }
    CellFormat format = sheet.format(row, column);
    if (format.numberFormat.isEmpty()) {
        format.numberFormat = numberFormat;
        sheet.setFormat(row, column, format);
    }
}

/* Write one fragment cell's value into the sheet. */
void pasteValue(Worksheet& sheet, int row, int column, const FragmentCell& cell, bool typeText) {
    switch (cell.kind) {
        case FragmentCell::Kind::Empty:
            sheet.clearValue(row, column);
            break;
        case FragmentCell::Kind::Number:
            sheet.setNumber(row, column, cell.number);
            break;
        case FragmentCell::Kind::Boolean:
            sheet.setBoolean(row, column, cell.number != 0);
            break;
        case FragmentCell::Kind::Text:
            if (typeText) {
                PasteEngine::storeTyped(sheet, row, column, cell.text);
            } else {
                sheet.setText(row, column, cell.text);
            }
            break;
    }
}

}  // namespace

/* Accept the four paste codes the job uses. */
bool PasteEngine::pasteTypeFromCode(int code, PasteType* type) {
    switch (code) {
        case static_cast<int>(PasteType::All):
        case static_cast<int>(PasteType::Values):
        case static_cast<int>(PasteType::ColumnWidths):
        case static_cast<int>(PasteType::Formats):
            *type = static_cast<PasteType>(code);
            return true;
        default:
            return false;
    }
}

/* Build a fragment from a range of a sheet. */
Fragment PasteEngine::copy(const Worksheet& sheet, const CellRange& range) {
    const CellRange area = effectiveRange(sheet, range);
    Fragment fragment = Fragment::sized(area.rowCount(), area.columnCount());
    fragment.source = Fragment::Source::Workbook;
    fragment.wholeRows = range.isWholeRows();
    fragment.wholeColumns = range.isWholeColumns();
    QHash<int, int> formatMap;  // workbook format index -> fragment format index
    formatMap.insert(0, 0);
    const auto& rows = sheet.rows();
    for (auto it = rows.lower_bound(area.firstRow); it != rows.end() && it->first <= area.lastRow;
         ++it) {
        for (const Cell& cell : it->second.cells) {
            if (cell.column < area.firstColumn || cell.column > area.lastColumn) {
                continue;
            }
            FragmentCell& out =
                fragment.at(it->first - area.firstRow, cell.column - area.firstColumn);
            out.kind = fragmentKind(cell.kind);
            out.text = cell.text;
            out.number = cell.number;
            auto mapped = formatMap.constFind(cell.format);
            if (mapped == formatMap.constEnd()) {
                mapped = formatMap.insert(
                    cell.format, fragment.internFormat(sheet.formatTable().at(cell.format)));
            }
            out.format = mapped.value();
        }
    }
    for (const CellRange& merge : sheet.merges()) {
        if (merge.firstRow >= area.firstRow && merge.lastRow <= area.lastRow &&
            merge.firstColumn >= area.firstColumn && merge.lastColumn <= area.lastColumn) {
            fragment.merges.push_back(
                {merge.firstRow - area.firstRow, merge.firstColumn - area.firstColumn,
                 merge.lastRow - area.firstRow, merge.lastColumn - area.firstColumn});
        }
    }
    for (const auto& width : sheet.columnWidths()) {
        if (width.first >= area.firstColumn && width.first <= area.lastColumn) {
            fragment.columnWidths[static_cast<size_t>(width.first - area.firstColumn)] =
                width.second;
        }
    }
    // Columns right of the area all lie in the trailing run of equal widths, if any.
    const int run = fragment.wholeRows ? trailingWidthRun(sheet) : 0;
    if (run > 0 && area.lastColumn < kMaxColumns) {
        fragment.trailingColumnWidth = sheet.columnWidth(run);
    }
    for (const auto& height : sheet.rowHeights()) {
        if (height.first >= area.firstRow && height.first <= area.lastRow) {
            fragment.rowHeights[static_cast<size_t>(height.first - area.firstRow)] = height.second;
        }
    }
    return fragment;
}

/* Store a text, typed by the lossless number rule. */
void PasteEngine::storeTyped(Worksheet& sheet, int row, int column, const QString& text) {
    double value = 0;
    QString numberFormat;
    if (NumberRule::parse(text, &value, &numberFormat)) {
        sheet.setNumber(row, column, value);
        applyNumberFormat(sheet, row, column, numberFormat);
    } else {
        sheet.setText(row, column, text);
    }
}

/* Paste a fragment at a cell. */
bool PasteEngine::paste(Worksheet& sheet, const Fragment& fragment, int row, int column,
                        PasteType type, CellRange* pasted) {
    const int rows = qMax(1, fragment.rowCount);
    const int columns = qMax(1, fragment.columnCount);
    if (row < 1 || column < 1 || row + rows - 1 > kMaxRows || column + columns - 1 > kMaxColumns ||
        fragment.cells.size() != static_cast<size_t>(fragment.rowCount) * fragment.columnCount) {
        return false;
    }
    const CellRange area{row, column, row + rows - 1, column + columns - 1};
    const bool values = type == PasteType::All || type == PasteType::Values;
    const bool formats = type == PasteType::All || type == PasteType::Formats;
    const bool typeText = fragment.source == Fragment::Source::Document;

    std::vector<int> formatMap(fragment.formats.size(), -1);
    for (int r = 0; r < fragment.rowCount; ++r) {
        for (int c = 0; c < fragment.columnCount; ++c) {
            const FragmentCell& cell = fragment.at(r, c);
            if (formats) {
                int index = 0;
                if (cell.format > 0 && static_cast<size_t>(cell.format) < formatMap.size()) {
                    int& mapped = formatMap[static_cast<size_t>(cell.format)];
                    if (mapped < 0) {
                        mapped = sheet.formatTable().intern(
                            fragment.formats[static_cast<size_t>(cell.format)]);
                    }
                    index = mapped;
                }
                sheet.setFormatIndex(row + r, column + c, index);
            }
            if (values) {
                pasteValue(sheet, row + r, column + c, cell, typeText);
            }
        }
    }
    if (formats) {
        sheet.removeMergesIn(area);
        for (const FragmentMerge& merge : fragment.merges) {
            // A merge reaching outside the fragment would reach outside the pasted area.
            if (merge.firstRow < 0 || merge.firstColumn < 0 || merge.lastRow >= rows ||
                merge.lastColumn >= columns || merge.firstRow > merge.lastRow ||
                merge.firstColumn > merge.lastColumn) {
                continue;
            }
            sheet.addMerge({row + merge.firstRow, column + merge.firstColumn, row + merge.lastRow,
                            column + merge.lastColumn});
        }
        if (fragment.wholeRows || typeText) {
            const size_t heights = qMin(fragment.rowHeights.size(), static_cast<size_t>(rows));
            for (size_t r = 0; r < heights; ++r) {
                if (fragment.rowHeights[r] >= 0) {
                    sheet.setRowHeight(row + static_cast<int>(r), fragment.rowHeights[r]);
                }
            }
        }
    }
    const bool widths = type == PasteType::ColumnWidths ||
                        (type == PasteType::All && (typeText || fragment.wholeColumns));
    const size_t widthCount = qMin(fragment.columnWidths.size(), static_cast<size_t>(columns));
    for (size_t c = 0; widths && c < widthCount; ++c) {
        const double width = fragment.columnWidths[c];
        if (width >= 0 || type == PasteType::ColumnWidths) {
            sheet.setColumnWidth(column + static_cast<int>(c), width);
        }
    }
    const int trailingFrom = column + fragment.columnCount;
    if (widths && fragment.trailingColumnWidth >= 0 && trailingFrom <= kMaxColumns) {
        for (int c = trailingFrom; c <= kMaxColumns; ++c) {
            sheet.setColumnWidth(c, fragment.trailingColumnWidth);
        }
    }
    sheet.setSelection(area);
    if (pasted != nullptr) {
        *pasted = area;
    }
    return true;
}
