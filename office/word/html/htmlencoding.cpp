#include "office/word/html/htmlencoding.h"

#include <QRegularExpression>
#include <QString>
#include <QTextCodec>

#include <utility>

namespace {

// A <meta> tag must name its charset within the first 1024 bytes (HTML Living Standard,
// "prescan"); Word and web systems put it in the head, so a larger window is read.
constexpr int kMetaWindow = 8192;

/* The codec for a charset label, with the labels browsers map to a wider encoding. */
QTextCodec* codecFor(QByteArray label) {
    label = label.trimmed().toLower();
    if (label.isEmpty()) {
        return nullptr;
    }
    // Browsers decode every Simplified Chinese label as GB18030, and Latin-1 as windows-1252.
    if (label == "gb2312" || label == "gbk" || label == "x-gbk" || label == "cp936" ||
        label == "gb_2312-80" || label == "euc-cn") {
        label = "gb18030";
    } else if (label == "iso-8859-1" || label == "latin1" || label == "us-ascii" ||
               label == "ascii") {
        label = "windows-1252";
    } else if (label == "utf8") {
        label = "utf-8";
    }
    return QTextCodec::codecForName(label);
}

/* Decode with `codec` and return UTF-8. */
QByteArray decode(QTextCodec* codec, const char* data, int size) {
    return codec->toUnicode(data, size).toUtf8();
}

}  // namespace

/* Check UTF-8 well-formedness (RFC 3629): no overlongs, surrogates or values past U+10FFFF. */
bool HtmlEncoding::isValidUtf8(const char* data, int size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        unsigned min = 0;
        unsigned value = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, value = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, value = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, value = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) {
            return false;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (p[i] & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        p += extra + 1;
    }
    return true;
}

/* Find charset= in a <meta charset> or <meta http-equiv content> tag near the start. */
QByteArray HtmlEncoding::metaCharset(const QByteArray& data) {
    static const QRegularExpression meta(
        QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    // Latin-1 keeps every byte as one character, so positions and ASCII match the bytes.
    const QString head = QString::fromLatin1(data.constData(), std::min(data.size(), kMetaWindow));
    const QRegularExpressionMatch match = meta.match(head);
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

/* Choose the encoding (BOM, transport, meta, UTF-8, GBK) and convert to UTF-8. */
HtmlEncoding::Decoded HtmlEncoding::toUtf8(const QByteArray& data,
                                           const QByteArray& transportCharset) {
    QByteArray name;
    QByteArray out;
    if (data.startsWith("\xEF\xBB\xBF")) {
        name = "utf-8";
        out = data.mid(3);
        if (!isValidUtf8(out.constData(), out.size())) {
            out = decode(QTextCodec::codecForName("UTF-8"), out.constData(), out.size());
        }
    } else if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        name = data.startsWith("\xFF\xFE") ? "utf-16le" : "utf-16be";
        out = decode(QTextCodec::codecForName(name), data.constData() + 2, data.size() - 2);
    } else {
        QTextCodec* codec = codecFor(transportCharset);
        if (codec == nullptr) {
            codec = codecFor(metaCharset(data));
        }
        // A page that declares UTF-16 without a byte order mark was transcoded on the way;
        // its bytes are read as if nothing were declared.
        if (codec != nullptr && codec->mibEnum() >= 1013 && codec->mibEnum() <= 1015) {
            codec = nullptr;
        }
        if (codec != nullptr && codec->mibEnum() != 106) {
            name = codec->name().toLower();
            out = decode(codec, data.constData(), data.size());
        } else if (isValidUtf8(data.constData(), data.size())) {
            name = "utf-8";
            out = data;
        } else if (codec != nullptr) {
            name = "utf-8";
            out = decode(codec, data.constData(), data.size());
        } else {
            name = "gb18030";
            out = decode(codecFor(name), data.constData(), data.size());
        }
    }
    return Decoded{std::move(out), std::move(name)};
}
