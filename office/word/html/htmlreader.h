#pragma once

// HtmlReader: reads a web page saved under a Word name (by Word, LibreOffice or a web system)
// into the document model (worddocument.h), parsed by libxml2's HTML parser, which recovers
// from broken markup as browsers do; nothing is fetched and no entity is loaded.
//
// The page is decoded first (htmlencoding.h) and Word's own markup put in shape
// (htmlwordmarkup.h). Blocks: p, div, h1-h6, li, pre and the other block elements give
// paragraphs, <br> a line feed; tables give tables on their grid, colspan and rowspan as
// spans and vertical merges, tables in cells as nested tables, thead/tbody/tfoot rows in
// document order. Heads, scripts, styles, comments and hidden elements (display:none) give
// nothing. Formats come from the tags' meaning, the <style> rules for simple selectors
// (htmlstylesheet.h) and inline styles (htmlstyle.h).

#include "office/word/docxreader.h"
#include "office/word/html/htmlstylesheet.h"

#include <QByteArray>

struct _xmlNode;

class HtmlReader {
public:
    // Read a page held in memory. `transportCharset` is the charset a container states for
    // it (a web archive's part header), empty when none. Ok with the document (a page
    // without content gives an empty one); TooLarge past the input size, nesting, row,
    // column or cell limits; Malformed when the parser gives up.
    static WordLoadResult readData(const QByteArray& data, const DocxLimits& limits = DocxLimits(),
                                   const QByteArray& transportCharset = QByteArray());

private:
    // What an element passes to its content.
    struct Inherited {
        HtmlStyle style;  // inherited properties only
        WordRunFormat format;
        bool preformatted = false;
    };
    // A list of blocks being filled, with the paragraph that inline content is adding to.
    struct Container {
        std::vector<WordBlock>* blocks = nullptr;
        WordParagraph paragraph;
        bool open = false;          // `paragraph` has started
        bool pendingSpace = false;  // collapsed white space waiting for the next text
    };
    struct Carry;

    explicit HtmlReader(const DocxLimits& limits);
    WordLoadResult read(const QByteArray& utf8);
    void fail(WordLoadResult::Status status, const QString& message);
    bool failed() const { return m_status != WordLoadResult::Status::Ok; }

    void collectStyleSheets(_xmlNode* node, int depth);
    HtmlStyle elementStyle(_xmlNode* element, const char* tag) const;
    Inherited inherit(const Inherited& parent, const HtmlStyle& own) const;
    static WordRunFormat formatOf(const HtmlStyle& style);

    void readChildren(_xmlNode* parent, Container& out, const Inherited& context, int depth);
    void readElement(_xmlNode* element, Container& out, const Inherited& context, int depth);
    void readBlockElement(_xmlNode* element, const QString& tag, Container& out,
                          const Inherited& context, int depth);
    void appendText(Container& out, const char* utf8, const Inherited& context);
    void appendLineBreak(Container& out, const Inherited& context);
    void openParagraph(Container& out, const Inherited& context);
    void closeParagraph(Container& out);

    void readTable(_xmlNode* element, Container& out, const Inherited& context,
                   const HtmlStyle& own, int depth);
    void readTableChildren(_xmlNode* parent, WordTable& table, std::vector<Carry>& carries,
                           Container& out, const Inherited& context, const HtmlStyle& inherited,
                           int depth);
    void readColumn(_xmlNode* element, WordTable& table);
    void readRow(_xmlNode* element, WordTable& table, std::vector<Carry>& carries,
                 const Inherited& context, const HtmlStyle& tableStyle, int depth);
    void readCells(_xmlNode* parent, WordRow& row, std::vector<Carry>& carries, int& column,
                   const Inherited& context, const HtmlStyle& rowStyle, int depth);
    void readCell(_xmlNode* element, const char* tag, WordRow& row, std::vector<Carry>& carries,
                  int& column, const Inherited& context, const HtmlStyle& rowStyle, int depth);
    void continueCarries(WordRow& row, std::vector<Carry>& carries, int& column, int until);

    DocxLimits m_limits;
    HtmlStyleSheet m_sheet;
    int m_tableNesting = 0;
    long long m_cells = 0;
    WordLoadResult::Status m_status = WordLoadResult::Status::Ok;
    QString m_message;
};
