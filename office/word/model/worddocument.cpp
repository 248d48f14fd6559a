#include "office/word/model/worddocument.h"

/* Compare every field of two run formats. */
bool WordRunFormat::operator==(const WordRunFormat& other) const {
    return fontName == other.fontName && eastAsiaFontName == other.eastAsiaFontName &&
           qFuzzyCompare(fontSize + 1, other.fontSize + 1) && bold == other.bold &&
           italic == other.italic && strike == other.strike && underline == other.underline &&
           color == other.color;
}

/* Join the text of all runs. */
QString WordParagraph::text() const {
    if (runs.size() == 1) {
        return runs.front().text;
    }
    QString joined;
    for (const WordRun& run : runs) {
        joined += run.text;
    }
    return joined;
}

/* Counted run by run, without joining. */
int WordParagraph::textLength() const {
    return runsTextLength(runs);
}

/* Keep the runs up to `length`. */
void WordParagraph::truncate(int length) {
    truncateRuns(runs, length);
}

/* The first run with text stands for the paragraph's look. */
const WordRunFormat& WordParagraph::leadingFormat() const {
    for (const WordRun& run : runs) {
        if (!run.text.isEmpty()) {
            return run.format;
        }
    }
    return markFormat;
}

/* Wrap a paragraph as a block. */
WordBlock WordBlock::ofParagraph(WordParagraph paragraph) {
    WordBlock block;
    block.kind = Kind::Paragraph;
    block.paragraph = std::move(paragraph);
    return block;
}

/* Wrap a table as a block. */
WordBlock WordBlock::ofTable(std::shared_ptr<WordTable> table) {
    WordBlock block;
    block.kind = Kind::Table;
    block.table = std::move(table);
    return block;
}

namespace {

/* A nested table as text: one line per row, cells separated by tabs. */
QString nestedTableText(const WordTable& table) {
    QString text;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        if (r > 0) {
            text += QLatin1Char('\n');
        }
        const WordRow& row = table.rows[r];
        for (size_t c = 0; c < row.cells.size(); ++c) {
            if (c > 0) {
                text += QLatin1Char('\t');
            }
            // A nested cell's own line feeds would break the one-line-per-row shape.
            QString cellText = row.cells[c].text();
            cellText.replace(QLatin1Char('\n'), QLatin1Char(' '));
            text += cellText;
        }
    }
    return text;
}

}  // namespace

/* Paragraphs joined by line feeds, nested tables in their place, trailing feeds dropped. */
QString WordCell::text() const {
    QString text;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i > 0) {
            text += QLatin1Char('\n');
        }
        const WordBlock& block = blocks[i];
        if (block.kind == WordBlock::Kind::Table && block.table) {
            text += nestedTableText(*block.table);
        } else {
            text += block.paragraph.text();
        }
    }
    int end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char('\n')) {
        --end;
    }
    text.truncate(end);
    return text;
}

/* The grid is as wide as its widest row, and at least as wide as stated. */
int WordTable::gridColumnCount() const {
    long long widest = static_cast<long long>(gridColumnTwips.size());
    for (const WordRow& row : rows) {
        long long width = static_cast<long long>(row.gridBefore) + row.gridAfter;
        for (const WordCell& cell : row.cells) {
            width += cell.gridSpan;
        }
        widest = std::max(widest, width);
    }
    return static_cast<int>(std::min<long long>(widest, 1 << 20));
}

/* Tables directly in the body, content controls already unwrapped by the readers. */
std::vector<std::shared_ptr<WordTable>> WordDocument::topLevelTables() const {
    std::vector<std::shared_ptr<WordTable>> tables;
    for (const WordBlock& block : blocks) {
        if (block.kind == WordBlock::Kind::Table && block.table) {
            tables.push_back(block.table);
        }
    }
    return tables;
}
