#pragma once

#include "office/word/model/storyparagraph.h"
#include "office/word/model/worddocument.h"
#include "office/word/model/wordfonttable.h"
#include "office/word/model/wordtablegrid.h"

// Turns the paragraphs of a story read from Word's property records (the .doc and RTF
// readers) into the document model: paragraphs outside tables become body blocks; paragraphs in
// tables are gathered into cells (ended by a cell mark, or fInnerTableCell in nested tables) and
// rows (ended by the row-end paragraph, whose table properties give the cell boundaries, merges,
// shading and borders). Nested tables are built with an explicit stack (depth limited), never by
// recursion over the input.
class StoryBlockBuilder {
public:
    // Fonts are named through `fonts`. Tables nest at most maxTableDepth deep; deeper levels
    // are read as part of the deepest kept level.
    StoryBlockBuilder(const WordFontTable& fonts, int maxTableDepth)
        : m_fonts(fonts), m_maxTableDepth(maxTableDepth) {}

    // Build the blocks of the main story.
    std::vector<WordBlock> build(const std::vector<StoryParagraph>& paragraphs);
    // The same, one paragraph at a time (readers that make paragraphs as they go need not keep
    // them all): add() each paragraph in story order, then finish() gives the blocks and
    // leaves the builder empty for another story.
    void add(const StoryParagraph& paragraph);
    std::vector<WordBlock> finish();

    // Model values of the reader's property records.
    WordRunFormat runFormat(const StoryCharFormat& format) const;
    WordParagraph paragraph(const StoryParagraph& paragraph) const;
    void appendRun(const StoryRun& run, const QString& plainFont, WordParagraph& out) const;
    static BorderLine borderLine(const StoryBorder& border);

private:
    struct PendingRow {
        std::vector<std::vector<WordBlock>> cells;
        StoryRowFormat format;
    };
    struct OpenTable {
        std::vector<PendingRow> rows;
        std::vector<std::vector<WordBlock>> cells;  // finished cells of the current row
        std::vector<WordBlock> cell;                // blocks of the current cell
    };

    std::vector<WordBlock>& container();
    void closeTable();
    static std::shared_ptr<WordTable> makeTable(std::vector<PendingRow>& rows);
    static std::vector<std::vector<int>> mergedRowEdges(std::vector<PendingRow>& rows);
    static WordRow makeRow(PendingRow& source, const std::vector<int>& edges,
                           const WordTableGrid& grid, size_t r);
    static void applyCellFormat(const StoryCellFormat& format, WordCell& cell);

    const WordFontTable& m_fonts;
    int m_maxTableDepth;
    std::vector<OpenTable> m_stack;
    std::vector<WordBlock> m_body;
};
