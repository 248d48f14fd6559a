#include "office/word/doc/docpiecetable.h"

#include <limits>

namespace {

constexpr quint8 kClxtPrc = 0x01;
constexpr quint8 kClxtPcdt = 0x02;
constexpr int kPcdSize = 8;
constexpr quint32 kCompressedFlag = 0x40000000u;

}  // namespace

/* Walk the Prc entries, then read the PlcPcd of the Pcdt. */
bool DocPieceTable::parse(const DocBytes& clx, qint64 wordDocumentSize) {
    m_pieces.clear();
    m_prcs.clear();
    m_firstMissingCp = std::numeric_limits<qint32>::max();
    qint64 pos = 0;
    while (clx.u8(pos) == kClxtPrc) {
        // Prc (2.9.209): clxt, cbGrpprl (signed 16-bit), grpprl.
        const qint64 cb = clx.i16(pos + 1);
        if (cb < 0 || !clx.contains(pos + 3, cb)) {
            return false;
        }
        m_prcs.push_back(clx.mid(pos + 3, cb));
        pos += 3 + cb;
    }
    const std::optional<std::vector<Descriptor>> descriptors = readPcdt(clx, pos);
    if (!descriptors) {
        return false;
    }
    for (const Descriptor& descriptor : *descriptors) {
        Piece piece;
        piece.cpStart = descriptor.cpStart;
        piece.cpEnd = descriptor.cpEnd;
        if (piece.cpStart < 0 || piece.cpEnd < piece.cpStart ||
            (!m_pieces.empty() && piece.cpStart < m_pieces.back().cpEnd)) {
            return false;
        }
        piece.compressed = descriptor.fc & kCompressedFlag;
        piece.fc =
            piece.compressed ? (descriptor.fc & ~kCompressedFlag) / 2 : descriptor.fc & 0x3FFFFFFFu;
        piece.prm = descriptor.prm;
        // Keep only the characters the stream holds, remembering where text went missing.
        const qint64 available =
            (wordDocumentSize - static_cast<qint64>(piece.fc)) / piece.charSize();
        if (available <= 0) {
            m_firstMissingCp = qMin(m_firstMissingCp, piece.cpStart);
            continue;
        }
        if (static_cast<qint64>(piece.cpEnd) - piece.cpStart > available) {
            piece.cpEnd = piece.cpStart + static_cast<qint32>(available);
            m_firstMissingCp = qMin(m_firstMissingCp, piece.cpEnd);
        }
        if (piece.cpEnd > piece.cpStart) {
            m_pieces.push_back(piece);
        }
    }
    return true;
}

/* The Pcdt's lcb, then the PlcPcd: count + 1 CPs and count Pcds. */
std::optional<std::vector<DocPieceTable::Descriptor>> DocPieceTable::readPcdt(const DocBytes& clx,
                                                                              qint64 pos) {
    if (clx.u8(pos) != kClxtPcdt || !clx.contains(pos + 1, 4)) {
        return std::nullopt;
    }
    const qint64 lcb = clx.u32(pos + 1);
    const DocBytes plc = clx.mid(pos + 5, lcb);
    if (lcb < 4 || plc.size() != lcb || (lcb - 4) % (4 + kPcdSize) != 0) {
        return std::nullopt;
    }
    const int count = static_cast<int>((lcb - 4) / (4 + kPcdSize));
    const qint64 pcdAt = static_cast<qint64>(count + 1) * 4;
    std::vector<Descriptor> descriptors;
    descriptors.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Descriptor descriptor;
        descriptor.cpStart = plc.i32(i * 4);
        descriptor.cpEnd = plc.i32((i + 1) * 4);
        // Pcd (2.9.177): flags, FcCompressed, Prm.
        descriptor.fc = plc.u32(pcdAt + i * kPcdSize + 2);
        descriptor.prm = plc.u16(pcdAt + i * kPcdSize + 6);
        descriptors.push_back(descriptor);
    }
    return descriptors;
}

/* Sum the pieces' lengths. */
qint64 DocPieceTable::characterCount() const {
    qint64 count = 0;
    for (const Piece& piece : m_pieces) {
        count += static_cast<qint64>(piece.cpEnd) - piece.cpStart;
    }
    return count;
}

/* Look up a Prc grpprl by index. */
DocBytes DocPieceTable::prcGrpprl(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_prcs.size()
               ? m_prcs[static_cast<size_t>(index)]
               : DocBytes();
}

/* Map an 8-bit character to Unicode the way Windows-1252 does. */
QChar DocPieceTable::compressedChar(quint8 byte) {
    static const ushort kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0) {
        return QChar(kHigh[byte - 0x80]);
    }
    return QChar(static_cast<ushort>(byte));
}

/* Decode the characters of a piece in [cpFrom, cpTo). */
QString DocPieceTable::text(const Piece& piece, const DocBytes& wordDocument, qint32 cpFrom,
                            qint32 cpTo) {
    cpFrom = qMax(cpFrom, piece.cpStart);
    cpTo = qMin(cpTo, piece.cpEnd);
    if (cpTo <= cpFrom) {
        return QString();
    }
    const qint64 count = cpTo - cpFrom;
    const DocBytes bytes = wordDocument.mid(piece.fcAt(cpFrom), count * piece.charSize());
    if (bytes.size() != count * piece.charSize()) {
        return QString();
    }
    QString out(static_cast<int>(count), Qt::Uninitialized);
    QChar* chars = out.data();
    for (qint64 i = 0; i < count; ++i) {
        chars[i] = piece.compressed ? compressedChar(bytes.u8(i)) : QChar(bytes.u16(i * 2));
    }
    return out;
}
