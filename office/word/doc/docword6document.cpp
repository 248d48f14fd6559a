#include "office/word/doc/docword6document.h"

#include "office/word/doc/docbyteswriter.h"
#include "office/word/doc/docword6fkp.h"
#include "office/word/doc/docword6sprms.h"
#include "office/word/doc/docword6stylesheet.h"
#include "office/word/doc/docword6text.h"

#include <QHash>

#include <optional>
#include <utility>

namespace {

constexpr quint8 kClxtPrc = 0x01;
constexpr quint8 kClxtPcdt = 0x02;
constexpr int kPcdSize = 8;
constexpr int kMaxFonts = 32767;

}  // namespace

/* Header, fonts, pieces, pages, then the decoded text and the Word 97 structures over it. */
DocWord6Document::Status DocWord6Document::load(const DocBytes& word) {
    m_word = word;
    m_fib = DocWord6Fib::parse(word);
    if (!m_fib.ok) {
        m_why = "the file header is truncated";
        return Status::Truncated;
    }
    if (m_fib.encrypted) {
        return Status::Encrypted;
    }
    m_scale = m_fib.extendedChars ? 1 : 2;
    readFonts(word.mid(m_fib.sttbfFfn.fc, m_fib.sttbfFfn.lcb));
    m_stsh = DocWord6StyleSheet::toWord97(word.mid(m_fib.stshf.fc, m_fib.stshf.lcb));
    m_styles.parse(DocBytes(m_stsh));
    m_why = "piece table";
    if (!readPieces()) {
        return Status::Damaged;
    }
    DocFkpTable rawChpx;
    rawChpx.assign(DocWord6Fkp::read(DocFkpTable::Kind::Character,
                                     word.mid(m_fib.plcfBteChpx.fc, m_fib.plcfBteChpx.lcb),
                                     m_fib.cpnBteChp, word));
    DocFkpTable rawPapx;
    rawPapx.assign(DocWord6Fkp::read(DocFkpTable::Kind::Paragraph,
                                     word.mid(m_fib.plcfBtePapx.fc, m_fib.plcfBtePapx.lcb),
                                     m_fib.cpnBtePap, word));
    decodeText(rawChpx, rawPapx);
    m_chpx.assign(translateRuns(rawChpx.runs()));
    m_papx.assign(translateRuns(rawPapx.runs()));
    m_clx = word97Clx();
    if (!m_pieces.parse(DocBytes(m_clx), m_text.size())) {
        return Status::Damaged;
    }
    m_why = "";
    return Status::Ok;
}

/* A complex file's Clx, or the one stretch of text of a non-complex file. */
bool DocWord6Document::readPieces() {
    m_rawPieces.clear();
    m_prcs.clear();
    if (m_fib.complex) {
        return readComplexPieces(m_word.mid(m_fib.clx.fc, m_fib.clx.lcb));
    }
    if (m_fib.fcMac < m_fib.fcMin) {
        return false;
    }
    Piece piece;
    piece.fc = m_fib.fcMin;
    piece.cpEnd =
        static_cast<qint32>(qMax<qint64>((m_fib.fcMac - m_fib.fcMin) * m_scale / 2, m_fib.ccpText));
    m_rawPieces.push_back(piece);
    return true;
}

/* Prc entries (clxt, a two-byte size, a grpprl), then the Pcdt with its PlcPcd. */
bool DocWord6Document::readComplexPieces(const DocBytes& clx) {
    std::vector<DocBytes> prcs;
    qint64 pos = 0;
    while (clx.u8(pos) == kClxtPrc) {
        const qint64 cb = clx.u16(pos + 1);
        if (!clx.contains(pos + 3, cb)) {
            return false;
        }
        prcs.push_back(clx.mid(pos + 3, cb));
        m_prcs.push_back(DocWord6Sprms::toWord97(prcs.back()));
        pos += 3 + cb;
    }
    std::optional<std::vector<Piece>> descriptors = DocPieceTable::readPcdt(clx, pos);
    if (!descriptors) {
        return false;
    }
    m_rawPieces = std::move(*descriptors);
    for (Piece& piece : m_rawPieces) {
        piece.prm = translatePrm(piece.prm, prcs);
    }
    return true;
}

/* A Prm naming a Prc keeps its index; one holding a single sprm and its byte value becomes a
   new Prc with the sprm translated. */
quint16 DocWord6Document::translatePrm(quint16 prm, const std::vector<DocBytes>& prcs) {
    if (prm & 1) {
        return static_cast<size_t>(prm >> 1) < prcs.size() ? prm : 0;
    }
    const char single[2] = {static_cast<char>((prm >> 1) & 0x7F), static_cast<char>(prm >> 8)};
    if (single[0] == 0) {
        return 0;
    }
    const QByteArray grpprl = DocWord6Sprms::toWord97(DocBytes(single, 2));
    if (grpprl.isEmpty() || m_prcs.size() >= 0x7FFF) {
        return 0;
    }
    m_prcs.push_back(grpprl);
    return static_cast<quint16>(((m_prcs.size() - 1) << 1) | 1);
}

/* SttbfFfn: its size in bytes, then FFNs (cbFfnM1, flags, weight, chs, ixchSzAlt, name). */
void DocWord6Document::readFonts(const DocBytes& table) {
    const qint64 end = qMin<qint64>(table.u16(0), table.size());
    qint64 pos = 2;
    while (pos < end && m_fontCharsets.size() < static_cast<size_t>(kMaxFonts)) {
        const DocBytes ffn = table.mid(pos + 1, table.u8(pos));
        QString name;
        for (qint64 at = 5; ffn.contains(at, 1) && ffn.u8(at) != 0; ++at) {
            name.append(QChar(static_cast<char16_t>(ffn.u8(at))));
        }
        m_fonts.append(name);
        m_fontCharsets.push_back(ffn.contains(3, 1) ? ffn.u8(3) : -1);
        pos += 1 + table.u8(pos);
    }
}

/* Decode each piece's bytes run by run, in the code page of the run's font (or of its
   paragraph style's font). */
void DocWord6Document::decodeText(const DocFkpTable& rawChpx, const DocFkpTable& rawPapx) {
    if (m_scale == 1) {
        m_decoded = QByteArray(reinterpret_cast<const char*>(m_word.data()),
                               static_cast<int>(m_word.size()));
        m_text = DocBytes(m_decoded);
        return;
    }
    m_decoded = QByteArray(static_cast<int>(m_word.size() * 2), '\0');
    QHash<int, QTextCodec*> codecs;  // by character set: the look-up by name is not cheap
    for (const Piece& piece : m_rawPieces) {
        const qint64 to = qMin<qint64>(static_cast<qint64>(piece.fc) + piece.cpEnd - piece.cpStart,
                                       m_word.size());
        quint32 at = piece.fc;
        while (at < to) {
            const DocFkpTable::Run* run = rawChpx.find(at);
            const qint64 end = qMin<qint64>(to, run ? run->fcEnd : rawChpx.nextStart(at));
            int font = run ? DocWord6Sprms::fontOf(run->grpprl) : -1;
            if (font < 0) {
                const DocFkpTable::Run* paragraph = rawPapx.find(at);
                font = m_styles.charFormat(paragraph ? paragraph->istd : 0).fontAscii;
            }
            const int charset = font >= 0 && static_cast<size_t>(font) < m_fontCharsets.size()
                                    ? m_fontCharsets[static_cast<size_t>(font)]
                                    : -1;
            if (!codecs.contains(charset)) {
                codecs.insert(charset, DocWord6Text::codecFor(charset, m_fib.lid, m_fib.charset));
            }
            DocWord6Text::decode(m_word, at, static_cast<quint32>(end), codecs.value(charset),
                                 m_decoded);
            at = static_cast<quint32>(end);
        }
    }
    m_text = DocBytes(m_decoded);
}

/* The runs at their offsets in the decoded text, with Word 97 grpprls. */
std::vector<DocFkpTable::Run> DocWord6Document::translateRuns(
    const std::vector<DocFkpTable::Run>& runs) {
    std::vector<DocFkpTable::Run> translated;
    translated.reserve(runs.size());
    for (DocFkpTable::Run run : runs) {
        if (static_cast<qint64>(run.fcEnd) * m_scale > 0xFFFFFFFFLL) {
            continue;
        }
        run.fcStart *= static_cast<quint32>(m_scale);
        run.fcEnd *= static_cast<quint32>(m_scale);
        m_grpprls.push_back(DocWord6Sprms::toWord97(run.grpprl));
        run.grpprl = DocBytes(m_grpprls.back());
        translated.push_back(run);
    }
    return translated;
}

/* The translated Prcs and a PlcPcd of uncompressed pieces over the decoded text. */
QByteArray DocWord6Document::word97Clx() const {
    QByteArray clx;
    for (const QByteArray& prc : m_prcs) {
        clx.append(static_cast<char>(kClxtPrc));
        DocBytesWriter::appendU16(clx, static_cast<quint32>(prc.size()));
        clx.append(prc);
    }
    clx.append(static_cast<char>(kClxtPcdt));
    DocBytesWriter::appendU32(clx, static_cast<quint32>(4 + m_rawPieces.size() * (4 + kPcdSize)));
    for (const Piece& piece : m_rawPieces) {
        DocBytesWriter::appendU32(clx, static_cast<quint32>(piece.cpStart));
    }
    DocBytesWriter::appendU32(
        clx, m_rawPieces.empty() ? 0 : static_cast<quint32>(m_rawPieces.back().cpEnd));
    for (const Piece& piece : m_rawPieces) {
        DocBytesWriter::appendU16(clx, 0);
        DocBytesWriter::appendU32(clx, static_cast<quint32>(qMin<qint64>(
                                           static_cast<qint64>(piece.fc) * m_scale, 0x3FFFFFFF)));
        DocBytesWriter::appendU16(clx, piece.prm);
    }
    return clx;
}
