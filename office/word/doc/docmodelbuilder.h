#pragma once

#include "office/word/doc/docfonttable.h"
#include "office/word/doc/docstoryreader.h"
#include "office/word/model/worddocument.h"

#include <QVector>

// Turns the story reader's paragraphs into the document model: paragraphs outside tables
// become body blocks; paragraphs in tables are gathered into cells (ended by a cell mark, or
// fInnerTableCell in nested tables) and rows (ended by the row-end paragraph, whose table
// properties give the cell boundaries, merges, shading and borders). Nested tables are built
// with an explicit stack (depth limited), never by recursion over the input.
class DocModelBuilder {
public:
    // Deepest table nesting kept; deeper levels are read as part of the deepest kept level.
    static constexpr int kMaxTableDepth = 32;

    explicit DocModelBuilder(const DocFontTable& fonts) : m_fonts(fonts) {}

    // Build the blocks of the main story.
    std::vector<WordBlock> build(const QVector<DocParagraph>& paragraphs);
    // The same, one paragraph at a time (readers that make paragraphs as they go need not keep
    // them all): add() each paragraph in story order, then finish() gives the blocks and
    // leaves the builder empty for another story.
    void add(const DocParagraph& paragraph);
    std::vector<WordBlock> finish();

    // Model values of the reader's property records.
    WordRunFormat runFormat(const DocCharFormat& format) const;
    WordParagraph paragraph(const DocParagraph& paragraph) const;
    void appendRun(const DocRun& run, const QString& plainFont, WordParagraph& out) const;
    static BorderLine borderLine(const DocBorder& border);

private:
    struct PendingRow {
        std::vector<std::vector<WordBlock>> cells;
        DocRowFormat format;
    };
    struct OpenTable {
        std::vector<PendingRow> rows;
        std::vector<std::vector<WordBlock>> cells;  // finished cells of the current row
        std::vector<WordBlock> cell;                // blocks of the current cell
    };

    std::vector<WordBlock>& container();
    void closeTable();
    static std::shared_ptr<WordTable> makeTable(std::vector<PendingRow>& rows);

    const DocFontTable& m_fonts;
    std::vector<OpenTable> m_stack;
    std::vector<WordBlock> m_body;
};
