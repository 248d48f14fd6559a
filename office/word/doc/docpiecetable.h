#pragma once

#include "office/word/doc/docbytes.h"

#include <QString>

#include <optional>
#include <vector>

// The piece table of a Word binary document: Clx (MS-DOC 2.9.38) with its Prc entries and the
// Pcdt/PlcPcd (2.9.178, 2.8.35) that maps character positions (CPs) to the WordDocument
// stream, each piece holding 8-bit (compressed, 2.9.73 FcCompressed) or UTF-16LE text.
class DocPieceTable {
public:
    struct Piece {
        qint32 cpStart = 0;
        qint32 cpEnd = 0;  // exclusive
        quint32 fc = 0;    // byte offset of the first character in the WordDocument stream
        bool compressed = false;
        quint16 prm = 0;  // Prm (2.2.6): property modifier of the piece

        int charSize() const { return compressed ? 1 : 2; }
        // The stream offset of the character at cp (which must lie in the piece).
        quint32 fcAt(qint32 cp) const {
            return fc + static_cast<quint32>(cp - cpStart) * static_cast<quint32>(charSize());
        }
    };

    // One piece descriptor as a PlcPcd (2.8.35) stores it: its CPs, the fc with its
    // compression flag, and the Prm.
    struct Descriptor {
        qint32 cpStart = 0;
        qint32 cpEnd = 0;  // exclusive
        quint32 fc = 0;
        quint16 prm = 0;
    };

    // The descriptors of the Pcdt at pos of a Clx, as stored; none when pos holds no Pcdt or
    // its size does not fit whole descriptors.
    static std::optional<std::vector<Descriptor>> readPcdt(const DocBytes& clx, qint64 pos);
    // Parse a Clx. Pieces whose text lies outside the WordDocument stream (of the given size)
    // are cut to what is there. False for a malformed Clx (no Pcdt, CPs out of order, counts
    // that do not fit).
    bool parse(const DocBytes& clx, qint64 wordDocumentSize);

    const std::vector<Piece>& pieces() const { return m_pieces; }
    // The characters all pieces name together.
    qint64 characterCount() const;
    // The first CP whose text lies outside the stream (cut from its piece), or the largest
    // qint32 when every piece's text is there.
    qint32 firstMissingCp() const { return m_firstMissingCp; }
    // The grpprl of Prc number index (for a Prm with fComplex set); empty when out of range.
    DocBytes prcGrpprl(int index) const;
    // The characters of a piece from cp to cpEnd (clamped to the piece), decoded.
    static QString text(const Piece& piece, const DocBytes& wordDocument, qint32 cpFrom,
                        qint32 cpTo);
    // Decode one 8-bit character of a compressed piece (MS-DOC 2.4.1: Windows-1252 values).
    static QChar compressedChar(quint8 byte);

private:
    std::vector<Piece> m_pieces;
    std::vector<DocBytes> m_prcs;
    qint32 m_firstMissingCp = 0;
};
