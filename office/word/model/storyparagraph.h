#pragma once

#include "office/word/model/storyformats.h"

#include <QString>

#include <vector>

// A run of text with one resolved character format, as a reader of Word's property records yields
// it.
struct StoryRun {
    QString text;
    StoryCharFormat format;
};

// One paragraph of a story with its resolved properties, as the .doc and RTF readers give it. A
// paragraph that ends a table row (fTtp / fInnerTtp) carries the row's table properties.
struct StoryParagraph {
    std::vector<StoryRun> runs;
    StoryParaFormat format;
    StoryCharFormat markFormat;     // format of the paragraph mark
    bool endsWithCellMark = false;  // ended by 0x07 (a cell or row end at table depth 1)
    StoryRowFormat row;             // set when the paragraph ends a row

    // The runs' text joined.
    QString text() const;
    // True when the paragraph ends a row at its own table depth.
    bool isRowEnd() const;
    // True when the paragraph ends a cell (not a row) at its own table depth.
    bool isCellEnd() const;
};
