#pragma once

// The built-in Word's document model: what a copy into a spreadsheet needs of a document.
//
// - WordDocument (here): the main story as blocks in order.
// - WordBlock: a paragraph or a table.
// - WordParagraph / WordRun / WordRunFormat: text with resolved character formatting.
// - WordFormField: a form field or content control of a paragraph (its label, where its text
//   stands in the paragraph, the exact date of a date picker), kept for reading filled forms.
//   Forms already read as Word shows them in the text: a check box is one character, ☑ ticked
//   or ☐ not (see SymbolFonts), a drop-down its selected entry, a text field its result
//   (empty when only placeholder blanks are left), a content control its content (empty
//   while it shows its placeholder).
// - WordTable / WordRow / WordCell: tables on their column grid, with merges, shading,
//   borders and alignment; a cell holds blocks again, so tables nest.
//
// The model is format-neutral: the .docx/.docm reader (docxreader.h) and the Word 97-2003
// reader fill it alike, with every style already resolved into the values stored here.
// Lengths are twips (1/20 point); colours are 0xRRGGBB with kAutoColor for "automatic".

#include "office/format/cellformat.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Character formatting of one run, resolved from defaults, styles and direct formatting.
struct WordRunFormat {
    enum class Underline : std::uint8_t { None, Single, Double };

    QString fontName;          // Latin font; empty: not known
    QString eastAsiaFontName;  // font for East Asian text; empty: not known
    double fontSize = 0;       // points; 0: not known
    bool bold = false;
    bool italic = false;
    bool strike = false;
    Underline underline = Underline::None;
    std::uint32_t color = kAutoColor;

    bool operator==(const WordRunFormat& other) const;
    bool operator!=(const WordRunFormat& other) const { return !(*this == other); }
};

// A stretch of text with one format. Tabs are '\t', line breaks '\n'.
struct WordRun {
    QString text;
    WordRunFormat format;
};

// A form field in a paragraph: a legacy form field (FORMTEXT, FORMCHECKBOX, FORMDROPDOWN) or a
// content control read inside the paragraph or around it. Readers keep what is cheap to know;
// the paragraph's text already shows the field.
struct WordFormField {
    enum class Kind : std::uint8_t { Text, CheckBox, DropDown, Date, Control };

    Kind kind = Kind::Control;  // Control: a content control of another kind (rich text ...)
    QString name;      // legacy field: its name (w:ffData/w:name); content control: its tag,
                       // else its title (w:alias); may be empty
    int position = 0;  // where its shown text starts in the paragraph's text()
    int length = 0;    // the length of its shown text there
    QString date;      // date picker: the exact date as stored (w:date/@w:fullDate, ISO 8601
                       // such as "2024-03-01T00:00:00Z"); empty otherwise or when not stated
};

// The length of the text of `runs` (records with a QString `text`, of any reader).
template <typename Runs>
int runsTextLength(const Runs& runs) {
    int length = 0;
    for (const auto& run : runs) {
        length += run.text.size();
    }
    return length;
}

// Drop the text of `runs` from `length` on, cutting the run that crosses it and removing the
// runs after it.
template <typename Runs>
void truncateRuns(Runs& runs, int length) {
    int kept = 0;
    auto run = runs.begin();
    for (; run != runs.end() && kept + run->text.size() <= length; ++run) {
        kept += run->text.size();
    }
    if (run != runs.end() && kept < length) {
        run->text.truncate(length - kept);
        ++run;
    }
    runs.erase(run, runs.end());
}

// One paragraph: its runs in order and its horizontal alignment.
struct WordParagraph {
    enum class Alignment : std::uint8_t { Default, Left, Center, Right, Justify };

    std::vector<WordRun> runs;
    Alignment alignment = Alignment::Default;
    // The format of the paragraph mark; stands for the paragraph's format when it has no text.
    WordRunFormat markFormat;
    std::vector<WordFormField> formFields;  // in document order; most paragraphs have none

    // The runs' text joined.
    QString text() const;
    // The length of text().
    int textLength() const;
    // Drop the text from `length` on (runs left empty are removed).
    void truncate(int length);
    // The format of the first run that holds text, else the paragraph mark's format.
    const WordRunFormat& leadingFormat() const;
};

struct WordTable;

// A body element: a paragraph, or a table (never both).
struct WordBlock {
    enum class Kind : std::uint8_t { Paragraph, Table };

    Kind kind = Kind::Paragraph;
    WordParagraph paragraph;           // Kind::Paragraph
    std::shared_ptr<WordTable> table;  // Kind::Table; never null for a table block

    static WordBlock ofParagraph(WordParagraph paragraph);
    static WordBlock ofTable(std::shared_ptr<WordTable> table);
};

// One border side as the document states it; `set` false means "inherit" (from the table's
// borders for a cell), which differs from a side that is set to no line.
struct WordBorder {
    bool set = false;
    BorderLine line;
};

// The six border sides a table or a cell can state.
struct WordBorders {
    WordBorder top, left, bottom, right;
    WordBorder insideHorizontal, insideVertical;  // tables only: lines between cells
};

// One table cell.
struct WordCell {
    enum class VerticalMerge : std::uint8_t { None, Restart, Continue };
    enum class VerticalAlignment : std::uint8_t { Top, Center, Bottom };

    std::vector<WordBlock> blocks;  // paragraphs and nested tables, in order
    int gridSpan = 1;               // grid columns the cell covers (>= 1)
    VerticalMerge verticalMerge = VerticalMerge::None;
    VerticalAlignment verticalAlignment = VerticalAlignment::Top;
    std::uint32_t shading = kAutoColor;  // fill colour; kAutoColor: none
    WordBorders borders;                 // the cell's own sides (top/left/bottom/right)
    int widthTwips = -1;                 // preferred width; < 0: not stated

    // The cell's text: paragraphs joined by '\n', a nested table as one line per row with
    // its cells separated by '\t', trailing line feeds dropped.
    QString text() const;
};

// One table row.
struct WordRow {
    enum class HeightRule : std::uint8_t { Auto, AtLeast, Exact };

    std::vector<WordCell> cells;
    int gridBefore = 0;  // empty grid columns before the first cell
    int gridAfter = 0;   // empty grid columns after the last cell
    int heightTwips = -1;
    HeightRule heightRule = HeightRule::Auto;  // Auto: the height follows the content
};

// One table: its column grid and rows.
struct WordTable {
    std::vector<int> gridColumnTwips;  // width of each grid column; may be empty
    std::vector<WordRow> rows;
    WordBorders borders;  // resolved from the table's style and its own properties

    // Number of grid columns the rows occupy: the larger of the stated grid and the widest
    // row (gridBefore + spans + gridAfter).
    int gridColumnCount() const;
};

// A whole document's main story.
struct WordDocument {
    std::vector<WordBlock> blocks;  // body paragraphs and tables, content controls unwrapped
    // What the reader had to leave out although Word shows it (an equation too large to lay
    // out), one line each, for the report of the conversion's losses.
    QStringList losses;

    // The top-level tables in document order (as Word's Tables collection counts them).
    std::vector<std::shared_ptr<WordTable>> topLevelTables() const;
};
