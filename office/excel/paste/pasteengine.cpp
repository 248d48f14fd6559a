#include "office/excel/paste/pasteengine.h"

#include "office/excel/paste/numberrule.h"
#include "office/excel/paste/rowlayout.h"

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

/* The run of column default formats that reaches the sheet's last column, or nullptr. */
const std::pair<const int, Worksheet::ColumnFormatRun>* trailingFormatRun(const Worksheet& sheet) {
    const auto& runs = sheet.columnFormats();
    if (runs.empty() || runs.rbegin()->second.lastColumn != kMaxColumns) {
        return nullptr;
    }
    return &*runs.rbegin();
}

/* The last column whose default format a whole-row copy must carry cell by cell. */
int lastFormattedColumn(const Worksheet& sheet) {
    const auto& runs = sheet.columnFormats();
    if (runs.empty()) {
        return 0;
    }
    const auto* trailing = trailingFormatRun(sheet);
    // The run reaching the last column travels as the fragment's trailing format.
    return trailing != nullptr ? trailing->first - 1 : runs.rbegin()->second.lastColumn;
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
            last = qMax(last, qMax(lastDistinctWidthColumn(sheet), lastFormattedColumn(sheet)));
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

// Maps a sheet's format indices to the indices of a fragment's format table.
class FragmentFormats {
public:
    FragmentFormats(const Worksheet& sheet, Fragment& fragment)
        : m_sheet(sheet), m_fragment(fragment) {
        m_map.insert(0, 0);
    }

    /* The fragment's index of a sheet format, interning it on first use. */
    int operator()(int sheetFormat) {
        auto mapped = m_map.constFind(sheetFormat);
        if (mapped == m_map.constEnd()) {
            mapped = m_map.insert(sheetFormat,
                                  m_fragment.internFormat(m_sheet.formatTable().at(sheetFormat)));
        }
        return mapped.value();
    }

private:
    const Worksheet& m_sheet;
    Fragment& m_fragment;
    QHash<int, int> m_map;
};

/* Give the fragment cells the row and column default formats of the copied area. */
void copyDefaultFormats(const Worksheet& sheet, const CellRange& area, Fragment& fragment,
                        FragmentFormats& formats) {
    for (int r = 0; r < fragment.rowCount; ++r) {
        const int rowFormat = sheet.rowFormat(area.firstRow + r);
        if (rowFormat != 0) {
            const int format = formats(rowFormat);
            for (int c = 0; c < fragment.columnCount; ++c) {
                fragment.at(r, c).format = format;
            }
            if (fragment.wholeRows) {
                fragment.rowFormats.resize(static_cast<size_t>(fragment.rowCount), 0);
                fragment.rowFormats[static_cast<size_t>(r)] = format;
            }
            continue;
        }
        for (const auto& run : sheet.columnFormats()) {
            const int first = qMax(run.first, area.firstColumn);
            const int last = qMin(run.second.lastColumn, area.lastColumn);
            const int format = first <= last ? formats(run.second.format) : 0;
            for (int c = first; c <= last; ++c) {
                fragment.at(r, c - area.firstColumn).format = format;
            }
        }
    }
    const auto* trailing = fragment.wholeRows ? trailingFormatRun(sheet) : nullptr;
    if (trailing != nullptr && area.lastColumn < kMaxColumns) {
        fragment.trailingColumnFormat = formats(trailing->second.format);
    }
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
                PasteEngine::storeText(sheet, row, column, cell.text);
            }
            break;
    }
}

}  // namespace

/* Accept the four paste codes the job uses. */
std::optional<PasteType> PasteEngine::pasteTypeFromCode(int code) {
    switch (code) {
        case static_cast<int>(PasteType::All):
        case static_cast<int>(PasteType::Values):
        case static_cast<int>(PasteType::ColumnWidths):
        case static_cast<int>(PasteType::Formats):
            return static_cast<PasteType>(code);
        default:
            return std::nullopt;
    }
}

/* Build a fragment from a range of a sheet. */
Fragment PasteEngine::copy(const Worksheet& sheet, const CellRange& range) {
    const CellRange area = effectiveRange(sheet, range);
    Fragment fragment = Fragment::sized(area.rowCount(), area.columnCount());
    fragment.source = Fragment::Source::Workbook;
    fragment.wholeRows = range.isWholeRows();
    fragment.wholeColumns = range.isWholeColumns();
    FragmentFormats formats(sheet, fragment);
    if (!sheet.rowFormats().empty() || !sheet.columnFormats().empty()) {
        copyDefaultFormats(sheet, area, fragment, formats);
    }
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
            out.format = formats(cell.format);
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
    // Fitted heights are not carried: the paste fits the rows where they land.
    for (const auto& height : sheet.rowHeights()) {
        if (height.first >= area.firstRow && height.first <= area.lastRow &&
            sheet.hasCustomHeight(height.first)) {
            fragment.rowHeights[static_cast<size_t>(height.first - area.firstRow)] = height.second;
        }
    }
    return fragment;
}

/* Store a text, typed by the lossless number rule. */
void PasteEngine::storeTyped(Worksheet& sheet, int row, int column, const QString& text) {
    if (const std::optional<NumberRule::Number> number = NumberRule::parse(text)) {
        sheet.setNumber(row, column, number->value);
        applyNumberFormat(sheet, row, column, number->numberFormat);
    } else {
        storeText(sheet, row, column, text);
    }
}

/* Store a text, cut to what a cell holds. */
void PasteEngine::storeText(Worksheet& sheet, int row, int column, const QString& text) {
    if (text.size() <= kMaxCellText) {
        sheet.setText(row, column, text);
        return;
    }
    const bool splitsPair = text.at(kMaxCellText - 1).isHighSurrogate();
    if (sheet.setText(row, column, text.left(kMaxCellText - (splitsPair ? 1 : 0)))) {
        sheet.noteCutText(row, column);
    }
}

namespace {

// One paste under way: the fragment, the area it covers, and its formats as the sheet's table
// knows them (interned on first use, so formats no pasted cell uses stay out of the table).
struct PasteJob {
    Worksheet& sheet;
    const Fragment& fragment;
    CellRange area;
    bool typeText;
    std::vector<int> formatMap;  // -1: not interned yet

    /* The sheet's index of a fragment format (0 for indices outside the fragment's table). */
    int sheetFormat(int format) {
        if (format <= 0 || static_cast<size_t>(format) >= formatMap.size()) {
            return 0;
        }
        int& mapped = formatMap[static_cast<size_t>(format)];
        if (mapped < 0) {
            mapped = sheet.formatTable().intern(fragment.formats[static_cast<size_t>(format)]);
        }
        return mapped;
    }
    int rows() const { return area.lastRow - area.firstRow + 1; }
    int columns() const { return area.lastColumn - area.firstColumn + 1; }
};

/* True when the fragment is whole and fits below and right of (row, column). */
bool fragmentFits(const Fragment& fragment, int row, int column) {
    const int rows = qMax(1, fragment.rowCount);
    const int columns = qMax(1, fragment.columnCount);
    return row >= 1 && column >= 1 && row + rows - 1 <= kMaxRows &&
           column + columns - 1 <= kMaxColumns &&
           fragment.cells.size() == static_cast<size_t>(fragment.rowCount) * fragment.columnCount;
}

/* Give whole rows their default formats first, so the cells below store only formats that
   differ from them. */
void pasteRowFormats(PasteJob& job) {
    const Fragment& fragment = job.fragment;
    for (int r = 0; r < job.rows(); ++r) {
        const size_t at = static_cast<size_t>(r);
        const int rowFormat = at < fragment.rowFormats.size() ? fragment.rowFormats[at] : 0;
        job.sheet.setRowFormat(
            job.area.firstRow + r,
            job.sheetFormat(rowFormat > 0 ? rowFormat : fragment.trailingColumnFormat));
    }
}

/* Paste each cell's format and value, as the paste type asks. */
void pasteCells(PasteJob& job, bool values, bool formats) {
    for (int r = 0; r < job.fragment.rowCount; ++r) {
        for (int c = 0; c < job.fragment.columnCount; ++c) {
            const FragmentCell& cell = job.fragment.at(r, c);
            const int row = job.area.firstRow + r;
            const int column = job.area.firstColumn + c;
            if (formats) {
                job.sheet.setFormatIndex(row, column, job.sheetFormat(cell.format));
            }
            if (values) {
                pasteValue(job.sheet, row, column, cell, job.typeText);
            }
        }
    }
}

/* Replace the area's merges by the fragment's. */
void pasteMerges(PasteJob& job) {
    job.sheet.removeMergesIn(job.area);
    const int row = job.area.firstRow;
    const int column = job.area.firstColumn;
    for (const FragmentMerge& merge : job.fragment.merges) {
        // A merge reaching outside the fragment would reach outside the pasted area.
        if (merge.firstRow < 0 || merge.firstColumn < 0 || merge.lastRow >= job.rows() ||
            merge.lastColumn >= job.columns() || merge.firstRow > merge.lastRow ||
            merge.firstColumn > merge.lastColumn) {
            continue;
        }
        job.sheet.addMerge({row + merge.firstRow, column + merge.firstColumn, row + merge.lastRow,
                            column + merge.lastColumn});
    }
}

/* Give the rows the fragment's stated heights (negative: none stated). */
void pasteRowHeights(PasteJob& job) {
    const std::vector<double>& rowHeights = job.fragment.rowHeights;
    const size_t heights = qMin(rowHeights.size(), static_cast<size_t>(job.rows()));
    for (size_t r = 0; r < heights; ++r) {
        if (rowHeights[r] >= 0) {
            job.sheet.setRowHeight(job.area.firstRow + static_cast<int>(r), rowHeights[r]);
        }
    }
}

/* Give the columns the fragment's widths, and the columns after it its trailing width. */
void pasteColumnWidths(PasteJob& job, PasteType type) {
    const Fragment& fragment = job.fragment;
    const int column = job.area.firstColumn;
    const size_t widthCount =
        qMin(fragment.columnWidths.size(), static_cast<size_t>(job.columns()));
    for (size_t c = 0; c < widthCount; ++c) {
        const double width = fragment.columnWidths[c];
        if (width >= 0 || type == PasteType::ColumnWidths) {
            job.sheet.setColumnWidth(column + static_cast<int>(c), width);
        }
    }
    const int trailingFrom = column + fragment.columnCount;
    if (fragment.trailingColumnWidth >= 0 && trailingFrom <= kMaxColumns) {
        for (int c = trailingFrom; c <= kMaxColumns; ++c) {
            job.sheet.setColumnWidth(c, fragment.trailingColumnWidth);
        }
    }
}

}  // namespace

/* Paste a fragment at a cell. */
std::optional<CellRange> PasteEngine::paste(Worksheet& sheet, const Fragment& fragment, int row,
                                            int column, PasteType type) {
    if (!fragmentFits(fragment, row, column)) {
        return std::nullopt;
    }
    const CellRange area{row, column, row + qMax(1, fragment.rowCount) - 1,
                         column + qMax(1, fragment.columnCount) - 1};
    const bool values = type == PasteType::All || type == PasteType::Values;
    const bool formats = type == PasteType::All || type == PasteType::Formats;
    const bool typeText = fragment.source == Fragment::Source::Document;
    PasteJob job{sheet, fragment, area, typeText, std::vector<int>(fragment.formats.size(), -1)};
    if (formats && fragment.wholeRows) {
        pasteRowFormats(job);
    }
    pasteCells(job, values, formats);
    if (formats) {
        pasteMerges(job);
        if (fragment.wholeRows || typeText) {
            pasteRowHeights(job);
        }
    }
    const bool widths = type == PasteType::ColumnWidths ||
                        (type == PasteType::All && (typeText || fragment.wholeColumns));
    if (widths) {
        pasteColumnWidths(job, type);
    }
    if (values || formats) {
        // The rows take the heights their new text needs; Word's "at least" heights come
        // with the formats.
        const bool minimums = formats && typeText;
        RowLayout::fitRows(sheet, area.firstRow, area.lastRow,
                           minimums ? fragment.minRowHeights : std::vector<double>());
    } else if (widths) {
        RowLayout::fitSheet(sheet);
    }
    sheet.setSelection(area);
    return area;
}
