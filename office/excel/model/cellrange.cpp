#include "office/excel/model/cellrange.h"

#include <QStringList>

namespace {

// One side of a reference: column letters and/or row digits, each optionally after "$".
struct RefPart {
    int row = 0;     // 0: no row given
    int column = 0;  // 0: no column given
};

/* Parse "B2", "$B$2", "B", "2" into a reference part; none on anything else. */
std::optional<RefPart> parsePart(const QString& text) {
    int i = 0;
    const int n = text.size();
    if (i < n && text[i] == QLatin1Char('$')) {
        ++i;
    }
    long long column = 0;
    int letters = 0;
    while (i < n && text[i].toUpper() >= QLatin1Char('A') &&
           text[i].toUpper() <= QLatin1Char('Z')) {
        column = column * 26 + (text[i].toUpper().unicode() - 'A' + 1);
        if (++letters > 3) {
            return std::nullopt;
        }
        ++i;
    }
    if (letters > 0 && i < n && text[i] == QLatin1Char('$')) {
        ++i;
    }
    long long row = 0;
    int digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        row = row * 10 + (text[i].unicode() - '0');
        if (++digits > 7) {
            return std::nullopt;
        }
        ++i;
    }
    if (i != n || (letters == 0 && digits == 0)) {
        return std::nullopt;
    }
    if (column > kMaxColumns || row > kMaxRows || (digits > 0 && row == 0)) {
        return std::nullopt;
    }
    return RefPart{static_cast<int>(row), static_cast<int>(column)};
}

}  // namespace

/* Parse cells, cell ranges, whole rows and whole columns. */
std::optional<CellRange> CellRange::parse(const QString& text) {
    const QStringList sides = text.trimmed().split(QLatin1Char(':'));
    if (sides.size() > 2) {
        return std::nullopt;
    }
    const std::optional<RefPart> first = parsePart(sides.first());
    const std::optional<RefPart> last = parsePart(sides.last());
    if (!first || !last) {
        return std::nullopt;
    }
    const RefPart& a = *first;
    const RefPart& b = *last;
    const bool aCell = a.row > 0 && a.column > 0;
    const bool bCell = b.row > 0 && b.column > 0;
    CellRange range;
    if (aCell && bCell) {
        range = {qMin(a.row, b.row), qMin(a.column, b.column), qMax(a.row, b.row),
                 qMax(a.column, b.column)};
    } else if (a.column == 0 && b.column == 0) {
        // Whole rows: "3" alone is not a reference, "3:3" is.
        if (sides.size() != 2) {
            return std::nullopt;
        }
        range = {qMin(a.row, b.row), 1, qMax(a.row, b.row), kMaxColumns};
    } else if (a.row == 0 && b.row == 0) {
        if (sides.size() != 2) {
            return std::nullopt;
        }
        range = {1, qMin(a.column, b.column), kMaxRows, qMax(a.column, b.column)};
    } else {
        return std::nullopt;
    }
    return range;
}

/* Letters of a column number, bijective base 26. */
QString CellRange::columnName(int column) {
    if (column < 1 || column > kMaxColumns) {
        return QString();
    }
    QString name;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        name.prepend(QChar(static_cast<ushort>('A' + digit)));
        column = (column - 1) / 26;
    }
    return name;
}

/* A1-style name of one cell. */
QString CellRange::cellName(int row, int column) {
    return columnName(column) + QString::number(row);
}

/* A1-style text of the range. */
QString CellRange::toString() const {
    const QString first = cellName(firstRow, firstColumn);
    if (firstRow == lastRow && firstColumn == lastColumn) {
        return first;
    }
    return first + QLatin1Char(':') + cellName(lastRow, lastColumn);
}
