#include "office/excel/model/cellrange.h"

#include <QStringList>

namespace {

// One side of a reference: column letters and/or row digits, each optionally after "$".
struct RefPart {
    int row = 0;     // 0: no row given
    int column = 0;  // 0: no column given
};

/* Parse "B2", "$B$2", "B", "2" into a reference part; false on anything else. */
bool parsePart(const QString& text, RefPart* part) {
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
            return false;
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
            return false;
        }
        ++i;
    }
    if (i != n || (letters == 0 && digits == 0)) {
        return false;
    }
    if (column > kMaxColumns || row > kMaxRows || (digits > 0 && row == 0)) {
        return false;
    }
    part->row = static_cast<int>(row);
    part->column = static_cast<int>(column);
    return true;
}

}  // namespace

/* Parse cells, cell ranges, whole rows and whole columns. */
bool CellRange::parse(const QString& text, CellRange* out) {
    const QStringList sides = text.trimmed().split(QLatin1Char(':'));
    if (sides.size() > 2 || out == nullptr) {
        return false;
    }
    RefPart a;
    RefPart b;
    if (!parsePart(sides.first(), &a) || !parsePart(sides.last(), &b)) {
        return false;
    }
    const bool aCell = a.row > 0 && a.column > 0;
    const bool bCell = b.row > 0 && b.column > 0;
    CellRange range;
    if (aCell && bCell) {
        range = {qMin(a.row, b.row), qMin(a.column, b.column), qMax(a.row, b.row),
                 qMax(a.column, b.column)};
    } else if (a.column == 0 && b.column == 0) {
        // Whole rows: "3" alone is not a reference, "3:3" is.
        if (sides.size() != 2) {
            return false;
        }
        range = {qMin(a.row, b.row), 1, qMax(a.row, b.row), kMaxColumns};
    } else if (a.row == 0 && b.row == 0) {
        if (sides.size() != 2) {
            return false;
        }
        range = {1, qMin(a.column, b.column), kMaxRows, qMax(a.column, b.column)};
    } else {
        return false;
    }
    *out = range;
    return true;
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
