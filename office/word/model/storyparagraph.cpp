#include "office/word/model/storyparagraph.h"

/* Join the runs' text. */
QString StoryParagraph::text() const {
    QString out;
    for (const StoryRun& run : runs) {
        out += run.text;
    }
    return out;
}

/* A row end: fTtp at depth 1, fInnerTtp deeper. */
bool StoryParagraph::isRowEnd() const {
    const int depth = format.depth();
    if (depth <= 0) {
        return false;
    }
    return depth == 1 ? format.tableRowEnd : format.innerRowEnd;
}

/* A cell end: a cell mark at depth 1, fInnerTableCell deeper. */
bool StoryParagraph::isCellEnd() const {
    const int depth = format.depth();
    if (depth <= 0 || isRowEnd()) {
        return false;
    }
    return depth == 1 ? endsWithCellMark : format.innerCellEnd;
}
