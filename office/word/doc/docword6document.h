#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfkptable.h"
#include "office/word/model/wordfonttable.h"
#include "office/word/doc/docpiecetable.h"
#include "office/word/doc/docstylesheet.h"
#include "office/word/doc/docword6fib.h"

#include <QByteArray>

#include <vector>

// A Word 6.0/95 WordDocument stream recast as the inputs of the Word 97 story reader: the
// text decoded to UTF-16 (DocWord6Text), a Word 97 piece table over it, the formatted disk
// pages with their sprms translated (DocWord6Sprms), the style sheet (DocWord6StyleSheet) and
// the font table. The object owns every buffer the views point into.
class DocWord6Document {
public:
    enum class Status { Ok, Encrypted, Truncated, Damaged };

    DocWord6Document() = default;
    DocWord6Document(const DocWord6Document&) = delete;
    DocWord6Document& operator=(const DocWord6Document&) = delete;

    // Read the stream (which must outlive the object); on failure why() names the structure.
    Status load(const DocBytes& wordDocument);
    const char* why() const { return m_why; }

    qint32 ccpText() const { return m_fib.ccpText; }
    const DocBytes& text() const { return m_text; }
    const DocPieceTable& pieces() const { return m_pieces; }
    const DocFkpTable& chpx() const { return m_chpx; }
    const DocFkpTable& papx() const { return m_papx; }
    const DocStyleSheet& styles() const { return m_styles; }
    const WordFontTable& fonts() const { return m_fonts; }

private:
    using Piece = DocPieceTable::Descriptor;

    bool readPieces();
    bool readComplexPieces(const DocBytes& clx);
    void readFonts(const DocBytes& sttbfFfn);
    void decodeText(const DocFkpTable& rawChpx, const DocFkpTable& rawPapx);
    std::vector<DocFkpTable::Run> translateRuns(const std::vector<DocFkpTable::Run>& runs);
    quint16 translatePrm(quint16 prm, const std::vector<DocBytes>& prcs);
    QByteArray word97Clx() const;

    DocBytes m_word;
    DocWord6Fib m_fib;
    const char* m_why = "";
    int m_scale = 2;  // decoded bytes per stream byte: 2 for 8-bit text, 1 for UTF-16 text
    std::vector<Piece> m_rawPieces;
    std::vector<QByteArray> m_prcs;  // Word 97 grpprls of the pieces' property modifiers
    std::vector<int> m_fontCharsets;
    QByteArray m_decoded;
    QByteArray m_stsh;
    QByteArray m_clx;  // the Word 97 piece table, which the pieces' Prc views point into
    std::vector<QByteArray> m_grpprls;  // translated run grpprls, owned for the runs' views
    DocBytes m_text;
    DocPieceTable m_pieces;
    DocFkpTable m_chpx;
    DocFkpTable m_papx;
    DocStyleSheet m_styles;
    WordFontTable m_fonts;
};
