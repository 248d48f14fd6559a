#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfkptable.h"
#include "office/word/doc/docpiecetable.h"
#include "office/word/doc/docstylesheet.h"
#include "office/word/model/fieldnesting.h"
#include "office/word/model/storyparagraph.h"
#include "office/word/model/wordreadlimits.h"

#include <QString>

#include <vector>

class DocObjectPool;

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
        // Most paragraphs the reader keeps; a story with more is refused as too large.
        int maxParagraphs = WordReadLimits().maxParagraphs;
    };

    explicit DocStoryReader(const Sources& sources) : m_sources(sources) {}

    // Read the story's paragraphs; the last paragraph is kept even without a closing mark.
    std::vector<StoryParagraph> read(qint32 ccpText);
    // True when the last read stopped at maxParagraphs or past the equation budget;
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
    StoryCharFormat resolveChar(const DocBytes& chpx, const DocBytes& prm,
                                const StoryCharFormat& paraStyle) const;
    void appendText(const Segment& segment, const StoryCharFormat& format, bool lastHasMark,
                    StoryParagraph& paragraph);
    bool appendChar(QChar ch, const StoryCharFormat& format, StoryParagraph& paragraph);
    bool appendEquation(const QString& text, const StoryCharFormat& format,
                        StoryParagraph& paragraph);
    void beginField(const StoryCharFormat& format);
    void separateFormField(const StoryCharFormat& format, StoryParagraph& paragraph);
    void showFormField(quint32 dataOffset, const QString& instruction,
                       const StoryCharFormat& format, StoryParagraph& paragraph);
    void endField(const StoryCharFormat& format, StoryParagraph& paragraph);
    DocBytes prmGrpprl(quint16 prm) const;

    Sources m_sources;
    std::vector<Segment> m_pending;
    std::vector<StoryParagraph> m_paragraphs;
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
    bool endFormField(const OpenField& ended, const StoryCharFormat& format,
                      StoryParagraph& paragraph);
    int m_openOverflow = 0;
    QString m_tooLarge;          // why the last read stopped; empty when it did not
    qint64 m_equationChars = 0;  // characters equations wrote so far
};
