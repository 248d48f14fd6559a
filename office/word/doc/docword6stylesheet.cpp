#include "office/word/doc/docword6stylesheet.h"

#include "office/word/doc/docbyteswriter.h"
#include "office/word/doc/docword6sprms.h"

namespace {

constexpr int kWord6StshiSize = 14;  // cstd ... ftcStandardChpStsh
constexpr int kWord97StshiSize = 18;
constexpr int kWord97BaseSize = 10;
constexpr int kWord6BaseSize = 8;
constexpr int kParagraphStyle = 1;
constexpr int kCharacterStyle = 2;

}  // namespace

/* The STSHI with the Word 97 base size, then every STD rewritten. */
QByteArray DocWord6StyleSheet::toWord97(const DocBytes& stsh) {
    const qint64 cbStshi = stsh.u16(0);
    if (cbStshi < kWord6StshiSize || !stsh.contains(2, cbStshi)) {
        return QByteArray();
    }
    const DocBytes stshi = stsh.mid(2, cbStshi);
    const int count = stshi.u16(0);
    const int baseSize = stshi.u16(2);
    QByteArray out;
    DocBytesWriter::appendU16(out, kWord97StshiSize);
    DocBytesWriter::appendU16(out, count);
    DocBytesWriter::appendU16(out, kWord97BaseSize);
    for (qint64 at = 4; at < kWord6StshiSize; at += 2) {
        DocBytesWriter::appendU16(out,
                                  stshi.u16(at));  // flags, sti limits, the standard font at 12
    }
    DocBytesWriter::appendU16(out, stshi.u16(12));  // the standard font for East Asian text too
    DocBytesWriter::appendU16(out, 0);
    qint64 pos = 2 + cbStshi;
    for (int istd = 0; istd < count && stsh.contains(pos, 2); ++istd) {
        const qint64 cbStd = stsh.u16(pos);
        const DocBytes std = stsh.mid(pos + 2, cbStd);
        if (cbStd > 0 && std.size() == cbStd && baseSize >= kWord6BaseSize) {
            appendStyle(std, baseSize, out);
        } else {
            DocBytesWriter::appendU16(out, 0);
        }
        pos += 2 + cbStd;
    }
    return out;
}

/* StdfBase (the Word 6 fields, no grfstd), an empty name, then the translated UPXs. */
void DocWord6StyleSheet::appendStyle(const DocBytes& std, int baseSize, QByteArray& out) {
    QByteArray style;
    for (qint64 at = 0; at < kWord6BaseSize; at += 2) {
        DocBytesWriter::appendU16(style, std.u16(at));
    }
    DocBytesWriter::appendU16(style, 0);  // grfstd
    DocBytesWriter::appendU16(style, 0);  // the name: no characters, then the terminating zero
    DocBytesWriter::appendU16(style, 0);
    const int kind = std.u16(2) & 0x0F;
    const int upxCount = std.u16(4) & 0x0F;
    qint64 pos = baseSize + 1 + std.u8(baseSize) + 1;
    for (int i = 0; i < upxCount; ++i) {
        pos += pos & 1;
        const qint64 cb = std.u16(pos);
        const DocBytes upx = std.mid(pos + 2, cb);
        if (upx.size() != cb) {
            break;
        }
        if (kind == kParagraphStyle && i == 0) {
            // UpxPapx: the style, then its paragraph sprms.
            QByteArray papx;
            DocBytesWriter::appendU16(papx, upx.u16(0));
            appendUpx(papx + DocWord6Sprms::toWord97(upx.mid(2, qMax<qint64>(cb - 2, 0))), style);
        } else if (kind == kParagraphStyle || kind == kCharacterStyle) {
            appendUpx(DocWord6Sprms::toWord97(upx), style);
        }
        pos += 2 + cb;
    }
    DocBytesWriter::appendU16(out, style.size());
    out.append(style);
}

/* One UPX: its size, its bytes, a pad byte to an even length. */
void DocWord6StyleSheet::appendUpx(const QByteArray& upx, QByteArray& std) {
    DocBytesWriter::appendU16(std, upx.size());
    std.append(upx);
    if (upx.size() & 1) {
        std.append('\0');
    }
}
