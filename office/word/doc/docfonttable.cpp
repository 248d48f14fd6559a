#include "office/word/doc/docfonttable.h"

namespace {

constexpr qint64 kNameOffset = 39;  // xszFfn follows 39 bytes of font metrics in an FFN
constexpr int kMaxFonts = 32767;

}  // namespace

/* Read cData, cbExtra and the FFN entries, each led by its size byte. */
void DocFontTable::parse(const DocBytes& table) {
    m_names.clear();
    const int count = qMin(int(table.u16(0)), kMaxFonts);
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
        m_names.append(name);
        pos += 1 + size;
    }
}

/* Add one font name. */
int DocFontTable::append(const QString& name) {
    m_names.append(name);
    return m_names.size() - 1;
}

/* Look up a font name. */
QString DocFontTable::name(int ftc) const {
    return ftc >= 0 && ftc < m_names.size() ? m_names[ftc] : QString();
}
