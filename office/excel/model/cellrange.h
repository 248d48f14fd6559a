#pragma once

#include <QString>

#include <optional>

// Sheet limits of the .xlsx format (ECMA-376 Part 1, 18.3.1.73: rows 1..1048576, columns
// A..XFD).
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// A rectangle of cells, 1-based and inclusive: rows firstRow..lastRow, columns
// firstColumn..lastColumn. Whole rows ("1:100") span every column, whole columns ("A:A")
// every row; the range is only a description and never materialises its cells.
struct CellRange {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    // A single cell.
    static CellRange cell(int row, int column) { return {row, column, row, column}; }

    // Parse an A1-style reference: "B2", "B2:D9", "$B$2:$D$9", rows "1:100" / "3",
    // columns "A:A" / "B:D". The two corners may come in any order. None for anything else
    // or for references outside the sheet limits.
    static std::optional<CellRange> parse(const QString& text);

    // True for references spanning all columns / all rows.
    bool isWholeRows() const { return firstColumn == 1 && lastColumn == kMaxColumns; }
    bool isWholeColumns() const { return firstRow == 1 && lastRow == kMaxRows; }

    int rowCount() const { return lastRow - firstRow + 1; }
    int columnCount() const { return lastColumn - firstColumn + 1; }
    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    bool intersects(const CellRange& other) const {
        return firstRow <= other.lastRow && other.firstRow <= lastRow &&
               firstColumn <= other.lastColumn && other.firstColumn <= lastColumn;
    }
    bool operator==(const CellRange& other) const {
        return firstRow == other.firstRow && firstColumn == other.firstColumn &&
               lastRow == other.lastRow && lastColumn == other.lastColumn;
    }
    bool operator!=(const CellRange& other) const { return !(*this == other); }

    // "B2:D9", or "B2" for a single cell.
    QString toString() const;

    // Column letters of a 1-based column number ("A", "Z", "AA", "XFD"); empty when out of
    // range.
    static QString columnName(int column);
    // "B2" for row 2, column 2.
    static QString cellName(int row, int column);
};
