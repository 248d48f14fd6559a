#pragma once

#include "office/excel/model/worksheet.h"
#include "office/format/result.h"

#include <QString>

#include <limits>

// Excel's Text to Columns for delimited data (Range.TextToColumns).
class TextToColumns {
public:
    // Text qualifiers (XlTextQualifier).
    enum Qualifier { DoubleQuote = 1, SingleQuote = 2, NoQualifier = -4142 };

    struct Options {
        bool tab = false;
        bool semicolon = false;
        bool comma = false;
        bool space = false;
        bool other = false;
        QChar otherChar;  // the first character of OtherChar; null: none
        bool consecutiveDelimiter = false;
        int qualifier = NoQualifier;
    };

    // Split the text cells of `source` (a single column; whole columns stop at the last
    // used row) at the delimiters. The parts of the cell in source row r go to row
    // destRow + (r - source.firstRow), from column destColumn to the right, over existing
    // cells; each part is typed by NumberRule (an empty part leaves an empty cell). Number
    // and boolean cells are carried over unsplit. A row of more parts than there are
    // columns from destColumn to the sheet's last keeps the rest of its text, unsplit, in the
    // last column, and the sheet notes that cell (Worksheet::unsplitCells()). Fails with a
    // message, changing nothing, when the source spans several columns or the destination lies
    // outside the sheet.
    static Result split(Worksheet& sheet, const CellRange& source, int destRow, int destColumn,
                        const Options& options);

    // The parts of one text, and whether the last one holds an unsplit rest.
    struct TextParts {
        QStringList texts;
        bool cut = false;
    };

    // The parts of one text, at most `maxParts` (at least 1). A text of more parts gives
    // `maxParts` parts, the last holding the rest of the text as it stands, and is cut.
    static TextParts parts(const QString& text, const Options& options,
                           int maxParts = std::numeric_limits<int>::max());
};
