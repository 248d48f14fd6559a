#pragma once

// WordFragmentBuilder: lays a Word selection out as a clipboard fragment (a cell grid), the
// way a copy from Word pastes into a spreadsheet.
//
// - The whole story: each paragraph one row with its text in the first column (an empty
//   paragraph gives an empty row), each table its rows on its grid from the first column.
// - A table: its rows on its column grid; gridBefore/gridAfter leave empty cells, gridSpan
//   and vertical merges become merged areas holding the text in their top-left cell.
// Values are text (Fragment::Source::Document); the spreadsheet side types them on paste.

#include "office/clipboard/fragment.h"
#include "office/word/model/worddocument.h"

class WordFragmentBuilder {
public:
    // More cells than this in one fragment are refused (a hostile grid would exhaust memory).
    static constexpr long long kMaxCells = 1ll << 22;

    // The whole main story; false (and `out` untouched) when it exceeds kMaxCells.
    static bool wholeStory(const WordDocument& document, Fragment& out);

    // One table; false (and `out` untouched) when it exceeds kMaxCells.
    static bool table(const WordTable& table, Fragment& out);

    // A width in twips as an Excel column width: characters of the default font's digit
    // width (7 pixels at 96 dpi), after Excel's 5 pixels of cell padding.
    static double excelColumnWidth(int twips);

    // A run format as the cell's font; East Asian text takes the East Asian font.
    static void applyRunFormat(const WordRunFormat& run, const QString& text, CellFormat& cell);
};
