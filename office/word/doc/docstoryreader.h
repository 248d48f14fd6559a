#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfkptable.h"
#include "office/word/doc/docformats.h"
#include "office/word/doc/docpiecetable.h"
#include "office/word/doc/docstylesheet.h"
#include "office/word/model/fieldnesting.h"

#include <QString>
#include <QVector>

#include <vector>

class DocObjectPool;

// A run of text with one resolved character format, as the story reader yields it.
struct DocRun {
    QString text;
    DocCharFormat format;
};

// One paragraph of the main story with its resolved properties. A paragraph that ends a table
// row (fTtp / fInnerTtp) carries the row's table properties.
struct DocParagraph {
    QVector<DocRun> runs;
    DocParaFormat format;
    DocCharFormat markFormat;       // format of the paragraph mark
    bool endsWithCellMark = false;  // ended by 0x07 (a cell or row end at table depth 1)
    DocRowFormat row;               // set when the paragraph ends a row

    // The runs' text joined.
    QString text() const;
    // True when the paragraph ends a row at its own table depth.
    bool isRowEnd() const;
    // True when the paragraph ends a cell (not a row) at its own table depth.
    bool isCellEnd() const;
};

// Reads the main story (CPs 0 to ccpText) into paragraphs: text through the piece table,
// character runs from the CHPX pages over the paragraph's style, paragraph properties from
// the PAPX pages over the style sheet. Field instructions are dropped and field results kept;
// special characters become what a reader sees (tab, line feed, "-" for a non-breaking
// hyphen, nothing for pictures, breaks, soft hyphens and tracked deletions). An embedded
// equation object gives its linear text (through the object pool), and an EQ field whose
// result shows no text gives the linear text of its field code.
class DocStoryReader {
public:
    struct Sources {
        DocBytes wordDocument;
        DocBytes dataStream;
        const DocPieceTable* pieces = nullptr;
        const DocFkpTable* chpx = nullptr;
        const DocFkpTable* papx = nullptr;
        const DocStyleSheet* styles = nullptr;
        DocObjectPool* objects = nullptr;  // null: embedded objects give no text
        // Most characters embedded equations and EQ fields may write into the story, every
        // reference counted; beyond it the story is refused as too large.
        qint64 maxEquationChars = 8ll * 1024 * 1024;
    };

    // Deepest field nesting the reader follows; deeper fields still balance but are not tracked.
    // Most paragraphs the reader keeps; a story with more is refused as too large.
    static constexpr int kMaxParagraphs = 2000000;

    explicit DocStoryReader(const Sources& sources) : m_sources(sources) {}

    // Read the story's paragraphs; the last paragraph is kept even without a closing mark.
    QVector<DocParagraph> read(qint32 ccpText);
    // True when the last read stopped at kMaxParagraphs or past the equation budget;
    // tooLargeReason() says which.
    bool tooLarge() const { return !m_tooLarge.isEmpty(); }
    QString tooLargeReason() const { return m_tooLarge; }

private:
    // A stretch of characters with one CHPX and one piece.
    struct Segment {
        QString text;
        DocBytes chpx;
        DocBytes prm;
    };

    void readPiece(const DocPieceTable::Piece& piece, qint32 cpEnd);
    void endParagraph(const DocPieceTable::Piece& piece, qint32 cp, QChar mark);
    DocCharFormat resolveChar(const DocBytes& chpx, const DocBytes& prm,
                              const DocCharFormat& paraStyle) const;
    void appendText(const Segment& segment, const DocCharFormat& format, bool lastHasMark,
                    DocParagraph* paragraph);
    bool appendChar(QChar ch, const DocCharFormat& format, DocParagraph* paragraph);
    bool appendEquation(const QString& text, const DocCharFormat& format, DocParagraph* paragraph);
    void beginField(const DocCharFormat& format);
    void separateFormField(const DocCharFormat& format, DocParagraph* paragraph);
    void showFormField(quint32 dataOffset, const QString& instruction, const DocCharFormat& format,
                       DocParagraph* paragraph);
    void endField(const DocCharFormat& format, DocParagraph* paragraph);
    DocBytes prmGrpprl(quint16 prm) const;

    Sources m_sources;
    QVector<Segment> m_pending;
    QVector<DocParagraph> m_paragraphs;
    FieldNesting m_fields;
    // The open fields as FieldNesting keeps them: their instruction text, whether their
    // result has begun and whether it showed any text, the embedded object they hold.
    struct OpenField {
        QString instruction;
        bool inResult = false;
        bool showedText = false;
        bool hasObject = false;
        quint32 objectId = 0;
        quint32 dataOffset = 0;  // sprmCPicLocation of the begin mark: a form field's data
        bool formShown = false;  // a check box or drop-down already showed its box or entry
        int textParagraph = -1;  // a text form field: the paragraph its result began in
        int textStart = 0;       // and where in that paragraph's text
    };
    std::vector<OpenField> m_open;
    bool endFormField(const OpenField& ended, const DocCharFormat& format, DocParagraph* paragraph);
    int m_openOverflow = 0;
    QString m_tooLarge;          // why the last read stopped; empty when it did not
    qint64 m_equationChars = 0;  // characters equations wrote so far
};
