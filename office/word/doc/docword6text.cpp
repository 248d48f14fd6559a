#include "office/word/doc/docword6text.h"

#include <QTextCodec>

namespace {

constexpr quint16 kMacCharset = 256;

}  // namespace

/* The font's character set first, then the language, then Windows-1252. */
QTextCodec* DocWord6Text::codecFor(int charset, quint16 lid, quint16 chse) {
    const char* name = charset > 0 ? codecNameForCharset(charset) : nullptr;
    if (!name && chse == kMacCharset) {
        name = "Apple Roman";
    }
    if (!name) {
        name = codecNameForLanguage(lid);
    }
    QTextCodec* codec = QTextCodec::codecForName(name);
    return codec ? codec : QTextCodec::codecForName("windows-1252");
}

/* Windows character sets (LOGFONT lfCharSet values) to code pages; null for ANSI, symbol
   and unknown sets. */
const char* DocWord6Text::codecNameForCharset(int charset) {
    switch (charset) {
        case 77:
            return "Apple Roman";
        case 128:
            return "Shift_JIS";
        case 129:
            return "windows-949";
        case 134:
            return "GBK";
        case 136:
            return "Big5";
        case 161:
            return "windows-1253";
        case 162:
            return "windows-1254";
        case 163:
            return "windows-1258";
        case 177:
            return "windows-1255";
        case 178:
            return "windows-1256";
        case 186:
            return "windows-1257";
        case 204:
            return "windows-1251";
        case 222:
            return "TIS-620";
        case 238:
            return "windows-1250";
        default:
            return nullptr;
    }
}

/* The Windows ANSI code page of a language id (its primary language, Chinese by region). */
const char* DocWord6Text::codecNameForLanguage(quint16 lid) {
    switch (lid) {
        case 0x0804:  // Chinese (PRC)
        case 0x1004:  // Chinese (Singapore)
            return "GBK";
        case 0x0404:  // Chinese (Taiwan)
        case 0x0C04:  // Chinese (Hong Kong)
        case 0x1404:  // Chinese (Macao)
            return "Big5";
        default:
            break;
    }
    switch (lid & 0x03FF) {
        case 0x11:
            return "Shift_JIS";
        case 0x12:
            return "windows-949";
        case 0x05:
        case 0x0E:
        case 0x15:
        case 0x18:
        case 0x1A:
        case 0x1B:
        case 0x1C:
        case 0x24:
            return "windows-1250";  // Czech, Hungarian, Polish, Romanian, Croatian, Slovak,
                                    // Albanian, Slovenian
        case 0x02:
        case 0x19:
        case 0x22:
        case 0x23:
        case 0x2F:
            return "windows-1251";  // Bulgarian, Russian, Ukrainian, Belarusian, Macedonian
        case 0x08:
            return "windows-1253";
        case 0x1F:
            return "windows-1254";
        case 0x0D:
            return "windows-1255";
        case 0x01:
        case 0x20:
        case 0x29:
            return "windows-1256";  // Arabic, Urdu, Persian
        case 0x25:
        case 0x26:
        case 0x27:
            return "windows-1257";  // Estonian, Latvian, Lithuanian
        case 0x2A:
            return "windows-1258";
        case 0x1E:
            return "TIS-620";
        default:
            return "windows-1252";
    }
}

/* The code pages whose characters may take two bytes. */
bool DocWord6Text::isDoubleByte(QTextCodec* codec) {
    const int mib = codec->mibEnum();
    // Shift_JIS, EUC-KR / windows-949, GBK, GB18030, Big5
    return mib == 17 || mib == 38 || mib == -949 || mib == 113 || mib == 114 || mib == 2026;
}

/* Write one UTF-16 unit at a unit-aligned offset. */
void DocWord6Text::put(QByteArray& decoded, qint64 at, ushort unit) {
    if (at < 0 || at + 1 >= decoded.size()) {
        return;
    }
    decoded[static_cast<int>(at)] = static_cast<char>(unit & 0xFF);
    decoded[static_cast<int>(at + 1)] = static_cast<char>(unit >> 8);
}

/* Decode a single-byte range in one call; a double-byte one character by character. */
void DocWord6Text::decode(const DocBytes& stream, quint32 from, quint32 to, QTextCodec* codec,
                          QByteArray& decoded) {
    to = static_cast<quint32>(qMin<qint64>(to, stream.size()));
    if (from >= to) {
        return;
    }
    const char* bytes = reinterpret_cast<const char*>(stream.data());
    if (!isDoubleByte(codec)) {
        const QString text = codec->toUnicode(bytes + from, static_cast<int>(to - from));
        if (text.size() == static_cast<int>(to - from)) {
            for (int i = 0; i < text.size(); ++i) {
                put(decoded, 2 * (static_cast<qint64>(from) + i), text[i].unicode());
            }
            return;
        }
    }
    quint32 at = from;
    while (at < to) {
        const quint8 lead = stream.u8(at);
        if (lead >= 0x81 && at + 1 < to) {
            const QString pair = codec->toUnicode(bytes + at, 2);
            if (pair.size() == 1 && pair[0] != QChar::ReplacementCharacter) {
                put(decoded, 2 * static_cast<qint64>(at), pair[0].unicode());
                put(decoded, 2 * static_cast<qint64>(at) + 2, 0);
                at += 2;
                continue;
            }
        }
        const QString single = codec->toUnicode(bytes + at, 1);
        put(decoded, 2 * static_cast<qint64>(at),
            single.size() == 1 ? single[0].unicode() : 0xFFFD);
        ++at;
    }
}
