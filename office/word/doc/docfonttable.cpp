#include "office/word/doc/docfonttable.h"

namespace {

constexpr qint64 kNameOffset = 39;  // xszFfn follows 39 bytes of font metrics in an FFN
constexpr int kMaxFonts = 32767;

}  // namespace

/* Read cData, cbExtra and the FFN entries, each led by its size byte. */
WordFontTable DocFontTable::parse(const DocBytes& table) {
    WordFontTable fonts;
    const int count = qMin(static_cast<int>(table.u16(0)), kMaxFonts);
    qint64 pos = 4;
    for (int i = 0; i < count && table.contains(pos, 1); ++i) {
        const qint64 size = table.u8(pos);
        const DocBytes ffn = table.mid(pos + 1, size);
        if (ffn.size() != size) {
            break;
        }
        QString name;
        for (qint64 at = kNameOffset; ffn.contains(at, 2) && ffn.u16(at) != 0; at += 2) {
            name.append(QChar(ffn.u16(at)));
        }
        fonts.append(name);
        pos += 1 + size;
    }
    return fonts;
}
