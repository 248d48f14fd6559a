#include "office/excel/model/worksheet.h"

#include <algorithm>
#include <vector>

namespace {

/* True when the UTF-16 unit at `i` is half of a surrogate pair without its other half. */
bool isLoneSurrogate(const QString& text, int i) {
    const ushort unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit)) {
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    }
    if (QChar::isLowSurrogate(unit)) {
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }
    return false;
}

/* The text with every lone surrogate replaced by U+FFFD: no character at all, which neither
   workbook format can hold (readers refuse the file or show the escape). */
QString withoutLoneSurrogates(const QString& text) {
    QString out = text;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i].unicode() >= 0xD800 && text[i].unicode() < 0xE000 && isLoneSurrogate(text, i)) {
            out[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

/* True when a position lies inside the sheet limits. */
bool inLimits(int row, int column) {
    return row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns;
}

/* First cell of a row at or after a column (binary search on the sorted cells). */
std::vector<Cell>::iterator lowerBound(std::vector<Cell>& cells, int column) {
    return std::lower_bound(cells.begin(), cells.end(), column,
                            [](const Cell& cell, int value) { return cell.column < value; });
}

/* The size stored for a row or column, or `fallback` when unset. */
double sizeOr(const std::map<int, double>& sizes, int key, double fallback) {
    const auto found = sizes.find(key);
    return found != sizes.end() ? found->second : fallback;
}

/* Store a row or column size capped at `cap`; a negative size removes it (the default). */
void storeSize(std::map<int, double>& sizes, int key, double size, double cap) {
    if (size < 0) {
        sizes.erase(key);
    } else {
        sizes[key] = qMin(size, cap);
    }
}

}  // namespace

Worksheet::Worksheet(QString name, std::shared_ptr<FormatTable> formats)
    : m_name(std::move(name)), m_formats(std::move(formats)) {
    if (!m_formats) {
        m_formats = std::make_shared<FormatTable>();
    }
}

/* Look a cell up without creating it. */
const Cell* Worksheet::cell(int row, int column) const {
    const auto found = m_rows.find(row);
    if (found == m_rows.end()) {
        return nullptr;
    }
    const std::vector<Cell>& cells = found->second.cells;
    const auto it =
        std::lower_bound(cells.begin(), cells.end(), column,
                         [](const Cell& cell, int value) { return cell.column < value; });
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

/* Find a cell, creating an empty one in place; appending at a row's end is the fast path. */
Cell* Worksheet::findOrCreate(int row, int column) {
    std::vector<Cell>& cells = m_rows[row].cells;
    if (cells.empty() || cells.back().column < column) {
        cells.emplace_back();
        cells.back().column = column;
        cells.back().format = defaultFormatIndex(row, column);
        ++m_cellCount;
        return &cells.back();
    }
    auto it = lowerBound(cells, column);
    if (it == cells.end() || it->column != column) {
        it = cells.emplace(it);
        it->column = column;
        it->format = defaultFormatIndex(row, column);
        ++m_cellCount;
    }
    return &*it;
}

/* Forget a cell without value whose format is its position's default, and a bare row. */
void Worksheet::dropIfBare(int row, int column) {
    const auto found = m_rows.find(row);
    if (found == m_rows.end()) {
        return;
    }
    std::vector<Cell>& cells = found->second.cells;
    const auto it = lowerBound(cells, column);
    if (it != cells.end() && it->column == column && !it->hasValue() &&
        it->format == defaultFormatIndex(row, column)) {
        cells.erase(it);
        --m_cellCount;
    }
    if (cells.empty()) {
        m_rows.erase(found);
    }
}

/* Store a number, keeping the format. */
bool Worksheet::setNumber(int row, int column, double value) {
    if (!inLimits(row, column)) {
        return false;
    }
    Cell* cell = findOrCreate(row, column);
    cell->kind = Cell::Kind::Number;
    cell->number = value;
    cell->text.clear();
    return true;
}

/* Store a text, keeping the format. */
bool Worksheet::setText(int row, int column, const QString& text) {
    if (!inLimits(row, column)) {
        return false;
    }
    Cell* cell = findOrCreate(row, column);
    cell->kind = Cell::Kind::Text;
    cell->number = 0;
    cell->text = withoutLoneSurrogates(text);
    return true;
}

/* Store a boolean, keeping the format. */
bool Worksheet::setBoolean(int row, int column, bool value) {
    if (!inLimits(row, column)) {
        return false;
    }
    Cell* cell = findOrCreate(row, column);
    cell->kind = Cell::Kind::Boolean;
    cell->number = value ? 1 : 0;
    cell->text.clear();
    return true;
}

/* Drop the value of a cell; a formatted cell stays as an empty formatted cell. */
void Worksheet::clearValue(int row, int column) {
    const Cell* existing = cell(row, column);
    if (existing == nullptr) {
        return;
    }
    Cell* target = findOrCreate(row, column);
    target->kind = Cell::Kind::Empty;
    target->number = 0;
    target->text.clear();
    dropIfBare(row, column);
}

/* Replace a whole cell. */
bool Worksheet::setCell(int row, int column, Cell value) {
    if (!inLimits(row, column)) {
        return false;
    }
    if (!value.hasValue() && value.format == defaultFormatIndex(row, column)) {
        if (cell(row, column) != nullptr) {
            Cell* target = findOrCreate(row, column);
            *target = std::move(value);
            target->column = column;
            dropIfBare(row, column);
        }
        return true;
    }
    Cell* target = findOrCreate(row, column);
    value.column = column;
    *target = std::move(value);
    return true;
}

/* Format index a cell shows: its own, else the default at its position. */
int Worksheet::formatIndex(int row, int column) const {
    const Cell* found = cell(row, column);
    return found != nullptr ? found->format : defaultFormatIndex(row, column);
}

/* Set a format index, creating a formatted empty cell when needed. */
bool Worksheet::setFormatIndex(int row, int column, int format) {
    if (!inLimits(row, column)) {
        return false;
    }
    if (cell(row, column) == nullptr && format == defaultFormatIndex(row, column)) {
        return true;
    }
    findOrCreate(row, column)->format = format;
    dropIfBare(row, column);
    return true;
}

/* Resolve a cell's format. */
const CellFormat& Worksheet::format(int row, int column) const {
    return m_formats->at(formatIndex(row, column));
}

/* Intern and set a format. */
bool Worksheet::setFormat(int row, int column, const CellFormat& format) {
    return setFormatIndex(row, column, m_formats->intern(format));
}

/* Default format of a column: the run holding it, if any. */
int Worksheet::columnFormat(int column) const {
    auto it = m_columnFormats.upper_bound(column);
    if (it == m_columnFormats.begin()) {
        return 0;
    }
    --it;
    return column <= it->second.lastColumn ? it->second.format : 0;
}

/* Replace the default format of a span of columns, trimming the runs it overlaps. */
void Worksheet::setColumnFormat(int firstColumn, int lastColumn, int format) {
    firstColumn = qMax(1, firstColumn);
    lastColumn = qMin(kMaxColumns, lastColumn);
    if (firstColumn > lastColumn) {
        return;
    }
    auto it = m_columnFormats.upper_bound(firstColumn);
    if (it != m_columnFormats.begin()) {
        --it;
    }
    while (it != m_columnFormats.end() && it->first <= lastColumn) {
        const int first = it->first;
        const ColumnFormatRun run = it->second;
        if (run.lastColumn < firstColumn) {
            ++it;
            continue;
        }
        it = m_columnFormats.erase(it);
        if (first < firstColumn) {
            m_columnFormats[first] = {firstColumn - 1, run.format};
        }
        if (run.lastColumn > lastColumn) {
            it = m_columnFormats.insert({lastColumn + 1, {run.lastColumn, run.format}}).first;
        }
    }
    if (format != 0) {
        m_columnFormats[firstColumn] = {lastColumn, format};
    }
}

/* Default format of a row, 0 when none. */
int Worksheet::rowFormat(int row) const {
    const auto found = m_rowFormats.find(row);
    return found != m_rowFormats.end() ? found->second : 0;
}

/* Set or remove a row's default format. */
void Worksheet::setRowFormat(int row, int format) {
    if (row < 1 || row > kMaxRows) {
        return;
    }
    if (format == 0) {
        m_rowFormats.erase(row);
    } else {
        m_rowFormats[row] = format;
    }
}

/* The row's default format, else the column's; cheap when neither is used. */
int Worksheet::defaultFormatIndex(int row, int column) const {
    if (!m_rowFormats.empty()) {
        const int format = rowFormat(row);
        if (format != 0) {
            return format;
        }
    }
    return m_columnFormats.empty() ? 0 : columnFormat(column);
}

/* The columns with a width or a default format, as runs of equal settings. */
std::vector<Worksheet::ColumnSpan> Worksheet::columnSpans() const {
    // Settings change only where a width is set or a format run starts or ends.
    std::vector<int> starts;
    for (const auto& width : m_columnWidths) {
        starts.push_back(width.first);
        starts.push_back(width.first + 1);
    }
    for (const auto& run : m_columnFormats) {
        starts.push_back(run.first);
        starts.push_back(run.second.lastColumn + 1);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    std::vector<ColumnSpan> spans;
    for (size_t i = 0; i + 1 < starts.size() && starts[i] <= kMaxColumns; ++i) {
        const auto width = m_columnWidths.find(starts[i]);
        ColumnSpan span{starts[i], starts[i + 1] - 1,
                        width != m_columnWidths.end() ? width->second : -1.0,
                        columnFormat(starts[i])};
        if (span.width < 0 && span.format == 0) {
            continue;
        }
        if (!spans.empty() && spans.back().last + 1 == span.first &&
            spans.back().width == span.width && spans.back().format == span.format) {
            spans.back().last = span.last;
        } else {
            spans.push_back(span);
        }
    }
    return spans;
}

/* Width of a column, the default when unset. */
double Worksheet::columnWidth(int column) const {
    return sizeOr(m_columnWidths, column, kDefaultColumnWidth);
}

/* Set a column width; a negative width returns the column to the default. */
void Worksheet::setColumnWidth(int column, double width) {
    if (column < 1 || column > kMaxColumns) {
        return;
    }
    storeSize(m_columnWidths, column, width, 255.0);
}

/* Height of a row, the default when unset. */
double Worksheet::rowHeight(int row) const {
    return sizeOr(m_rowHeights, row, kDefaultRowHeight);
}

/* Set a row height; a negative height returns the row to the default. */
void Worksheet::setRowHeight(int row, double height) {
    if (row < 1 || row > kMaxRows) {
        return;
    }
    storeSize(m_rowHeights, row, height, 409.0);
    m_fittedRows.erase(row);
}

/* Set a row height fitted to its text; a negative height returns the row to the default. */
void Worksheet::setFittedRowHeight(int row, double height) {
    if (row < 1 || row > kMaxRows) {
        return;
    }
    storeSize(m_rowHeights, row, height, 409.0);
    if (height < 0) {
        m_fittedRows.erase(row);
    } else {
        m_fittedRows.insert(row);
    }
}

/* Whether a row's height was set by hand. */
bool Worksheet::hasCustomHeight(int row) const {
    return m_rowHeights.count(row) != 0 && m_fittedRows.count(row) == 0;
}

/* Add a merge, dropping the merges it overlaps; single cells are not merges. */
void Worksheet::addMerge(const CellRange& range) {
    removeMergesIn(range);
    if (range.rowCount() > 1 || range.columnCount() > 1) {
        m_merges.push_back(range);
    }
}

/* Remove overlapping merges. */
void Worksheet::removeMergesIn(const CellRange& range) {
    m_merges.erase(std::remove_if(m_merges.begin(), m_merges.end(),
                                  [&](const CellRange& merge) { return merge.intersects(range); }),
                   m_merges.end());
}

/* Bounding box of the stored cells. */
std::optional<CellRange> Worksheet::usedRange() const {
    if (m_rows.empty()) {
        return std::nullopt;
    }
    CellRange range{m_rows.begin()->first, kMaxColumns, m_rows.rbegin()->first, 1};
    for (const auto& entry : m_rows) {
        range.firstColumn = qMin(range.firstColumn, entry.second.cells.front().column);
        range.lastColumn = qMax(range.lastColumn, entry.second.cells.back().column);
    }
    return range;
}

/* Highest stored column among some rows. */
int Worksheet::lastColumnInRows(int firstRow, int lastRow) const {
    int last = 0;
    for (auto it = m_rows.lower_bound(firstRow); it != m_rows.end() && it->first <= lastRow; ++it) {
        last = qMax(last, it->second.cells.back().column);
    }
    return last;
}

/* Highest row holding a cell inside some columns. */
int Worksheet::lastRowInColumns(int firstColumn, int lastColumn) const {
    for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it) {
        for (const Cell& cell : it->second.cells) {
            if (cell.column >= firstColumn && cell.column <= lastColumn) {
                return it->first;
            }
        }
    }
    return 0;
}
