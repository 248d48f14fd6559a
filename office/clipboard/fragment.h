#pragma once

// What the built-in clipboard holds: a grid of cells copied from a Word selection or from a
// workbook range, ready to be pasted into a sheet.
//
// - Fragment (here): cells, format table, merges, column widths, row heights.
// - CellFormat (cellformat.h): one cell's format.
// - Clipboard (clipboard.h): the one fragment of the current thread.

#include "office/format/cellformat.h"

#include <QHash>
#include <QString>

#include <vector>

// One cell of a fragment.
struct FragmentCell {
    enum class Kind : std::uint8_t { Empty, Text, Number, Boolean };
    Kind kind = Kind::Empty;
    QString text;       // Text cells (and the shown text of other kinds, when known)
    double number = 0;  // Number cells; Boolean cells use 0 or 1
    int format = 0;     // index into Fragment::formats
};

// A merged area, 0-based and inclusive, relative to the fragment's top-left cell.
struct FragmentMerge {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

struct Fragment {
    // Where the content came from. Text copied from a document is typed on paste (a text
    // becomes a number only when nothing is lost); text copied from a workbook stays text.
    enum class Source : std::uint8_t { Document, Workbook };

    Source source = Source::Document;
    int rowCount = 0;
    int columnCount = 0;
    std::vector<FragmentCell> cells;  // row-major, rowCount * columnCount
    std::vector<CellFormat> formats;  // formats[0] is the default format
    std::vector<FragmentMerge> merges;
    std::vector<double> columnWidths;  // Excel character widths; < 0: not set
    std::vector<double> rowHeights;    // points, kept exactly; < 0: not set
    // Points a row keeps at least when the paste fits it to its text (a Word row "at
    // least" this tall); < 0 or missing: none.
    std::vector<double> minRowHeights;
    bool wholeRows = false;     // copied as whole rows ("1:100"): paste keeps heights
    bool wholeColumns = false;  // copied as whole columns ("A:A")
    // Whole-row copies: the width of every column right of the fragment up to the sheet's
    // last column (a template that sizes all columns alike); < 0: those columns are not set.
    double trailingColumnWidth = -1;
    // Whole-row copies of a workbook: each row's default format (index into `formats`, 0:
    // none; empty: no row has one), and the default format of every column right of the
    // fragment (0: none). Pasting formats gives the target rows these defaults, so a row or
    // column formatted as a whole shows its format across the pasted rows.
    std::vector<int> rowFormats;
    int trailingColumnFormat = 0;

    // An empty fragment of the given size with the default format only.
    static Fragment sized(int rows, int columns);

    // The cell at a 0-based position; the position must lie inside the fragment.
    FragmentCell& at(int row, int column) {
        return cells[static_cast<size_t>(row) * columnCount + column];
    }
    const FragmentCell& at(int row, int column) const {
        return cells[static_cast<size_t>(row) * columnCount + column];
    }

    // Index of `format` in the format table, adding it when new.
    int internFormat(const CellFormat& format);

private:
    // Format -> index in `formats`, so interning stays fast for documents with many
    // distinct formats; rebuilt when `formats` was changed directly.
    QHash<CellFormat, int> m_formatIndex;
};
