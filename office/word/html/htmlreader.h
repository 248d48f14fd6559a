#pragma once

// HtmlReader: reads a web page saved under a Word name (by Word, LibreOffice or a web system)
// into the document model (worddocument.h), parsed by libxml2's HTML parser, which recovers
// from broken markup as browsers do; nothing is fetched and no entity is loaded.
//
// The parser's events are read as they come (no tree is built, which keeps large pages fast).
// The page is decoded first (htmlencoding.h) and Word's own markup put in shape
// (htmlwordmarkup.h). Blocks: p, div, h1-h6, li, pre and the other block elements give
// paragraphs, <br> a line feed; tables give tables on their grid, colspan and rowspan as
// spans and vertical merges, tables in cells as nested tables, thead/tbody/tfoot rows in
// document order. Heads, scripts, styles, comments and hidden elements (display:none) give
// nothing. Formats come from the tags' meaning, the <style> rules for simple selectors
// (htmlstylesheet.h) and inline styles (htmlstyle.h).

#include "office/word/model/wordloadresult.h"
#include "office/word/model/wordreadlimits.h"
#include "office/word/html/htmlstylesheet.h"

#include <QByteArray>
#include <QHash>

class HtmlReader {
public:
    // Read a page held in memory. `transportCharset` is the charset a container states for
    // it (a web archive's part header), empty when none. Ok with the document (a page
    // without content gives an empty one); TooLarge past the input size, nesting, row,
    // column or cell limits; Malformed when the parser gives up. The page is taken by value:
    // handed over with std::move, it is decoded and prepared without a second copy.
    static WordLoadResult readData(QByteArray data, const WordReadLimits& limits = WordReadLimits(),
                                   const QByteArray& transportCharset = QByteArray());

private:
    struct Inherited;
    struct Container;
    struct Frame;
    struct TableState;
    struct Carry;
    class Handler;  // the parser's event callbacks

    explicit HtmlReader(const WordReadLimits& limits);
    ~HtmlReader();
    WordLoadResult read(const QByteArray& utf8);
    void fail(WordLoadResult::Status status, const QString& message);
    bool failed() const { return m_status != WordLoadResult::Status::Ok; }

    void startElement(const char* tag, const char** attributes);
    void endElement();
    void appendCheckBox(const char** attributes, const Inherited& context);
    void characters(const char* utf8, int length);
    void styleText(const char* utf8, int length);
    bool startTableStructure(const char* tag, const char** attributes);
    void pushFrame(Frame frame);

    HtmlStyle elementStyle(const char* tag, const char** attributes) const;
    HtmlStyle computeStyle(const char* tag, const char** attributes) const;
    Inherited inherit(const Inherited& parent, const HtmlStyle& own) const;
    static WordRunFormat formatOf(const HtmlStyle& style);
    Container& current();
    const Inherited& topContext() const;

    void appendText(Container& out, const QString& text, const Inherited& context);
    void appendLineBreak(Container& out, const Inherited& context);
    void openParagraph(Container& out, const Inherited& context);
    void closeParagraph(Container& out);

    void startTable(const char** attributes, const HtmlStyle& own);
    void endTable();
    void startRow(const char** attributes);
    void endRow();
    Inherited startCell(const char* tag, const char** attributes);
    void endCell();
    void addColumns(const char** attributes);
    bool addCell();
    void continueCarries(WordRow& row, std::vector<Carry>& carries, int& column, int until);

    WordReadLimits m_limits;
    HtmlStyleSheet m_sheet;
    mutable QHash<QByteArray, HtmlStyle> m_styles;  // elementStyle() by tag and attributes
    std::shared_ptr<WordDocument> m_document;
    std::unique_ptr<Container> m_body;
    std::vector<Frame> m_frames;                        // the open elements
    std::vector<std::unique_ptr<TableState>> m_tables;  // the open tables, innermost last
    int m_skipping = 0;                                 // open elements that give nothing
    QByteArray m_styleText;                             // of the open <style> element
    long long m_cells = 0;
    void* m_parser = nullptr;  // the libxml2 parser context while read() runs
    WordLoadResult::Status m_status = WordLoadResult::Status::Ok;
    QString m_message;
};
