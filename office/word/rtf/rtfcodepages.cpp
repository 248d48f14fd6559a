#include "office/word/rtf/rtfcodepages.h"

#include <QTextCodec>

namespace {

constexpr int kWesternCodePage = 1252;

/* Qt's names for a Windows code page, best first. */
QList<QByteArray> codecNames(int codePage) {
    switch (codePage) {
        case 932:
            return {"Windows-31J", "Shift_JIS"};
        case 936:
            // GB18030 decodes every GBK and GB2312 pair and more.
            return {"GB18030", "GBK"};
        case 949:
            return {"windows-949", "cp949", "EUC-KR"};
        case 950:
            return {"Big5", "Big5-HKSCS"};
        case 1361:
            return {"johab"};
        case 437:
            return {"IBM437", "cp437"};
        case 10000:
            return {"Apple Roman", "macintosh"};
        default:
            return {QByteArray("windows-") + QByteArray::number(codePage)};
    }
}

/* True when every byte is ASCII. */
bool isAscii(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

/* Start with an empty cache. */
RtfCodePages::RtfCodePages() = default;

/* Font character sets (RTF \fcharset, the Windows LOGFONT lfCharSet values). */
int RtfCodePages::codePageOfCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 2:  // SYMBOL_CHARSET: the symbol font's glyphs sit on Latin code points
            return 1252;
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
        case 255:
            return 437;
        default:
            return 0;
    }
}

/* Shift-JIS, GBK, Korean, Big5 and Johab write one character as a lead and a trail byte. */
bool RtfCodePages::isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361;
}

/* Decode through the code page's codec, Windows-1252 when Qt has none for it. */
QString RtfCodePages::decode(const QByteArray& bytes, int codePage) {
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes);
    }
    QTextCodec* found = codec(codePage > 0 ? codePage : kWesternCodePage);
    if (!found) {
        found = codec(kWesternCodePage);
    }
    return found ? found->toUnicode(bytes) : QString::fromLatin1(bytes);
}

/* The codec of a code page, looked up once and kept in a small round-robin cache. */
QTextCodec* RtfCodePages::codec(int codePage) {
    for (const Cached& cached : m_cache) {
        if (cached.codePage == codePage) {
            return cached.codec;
        }
    }
    QTextCodec* found = nullptr;
    for (const QByteArray& name : codecNames(codePage)) {
        found = QTextCodec::codecForName(name);
        if (found) {
            break;
        }
    }
    m_cache[m_nextSlot] = Cached{codePage, found};
    m_nextSlot = (m_nextSlot + 1) % m_cache.size();
    return found;
}
