#include "office/excel/xlsx/xlsxtext.h"

namespace {

/* True for a hexadecimal digit. */
bool isHex(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

/* True when text[i..] reads "_xHHHH_". */
bool escapeAt(const QString& text, int i) {
    if (i + 7 > text.size() || text[i] != QLatin1Char('_') || text[i + 1] != QLatin1Char('x') ||
        text[i + 6] != QLatin1Char('_')) {
        return false;
    }
    for (int k = 2; k < 6; ++k) {
        if (!isHex(text[i + k])) {
            return false;
        }
    }
    return true;
}

/* True for characters an XML 1.0 document cannot hold literally (or would normalise). */
bool needsEscape(const QString& text, int i) {
    const ushort u = text[i].unicode();
    if (u < 0x20) {
        return u != '\t' && u != '\n';
    }
    if (u == 0xFFFE || u == 0xFFFF) {
        return true;
    }
    if (QChar::isHighSurrogate(u)) {
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    }
    if (QChar::isLowSurrogate(u)) {
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }
    return false;
}

/* "_xHHHH_" for one UTF-16 unit. */
QString escapeUnit(ushort unit) {
    return QStringLiteral("_x%1_")
        .arg(unit, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("_X"), QLatin1String("_x"));
}

}  // namespace

/* Scan for anything that needs escaping. */
bool XlsxText::isPlain(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const ushort u = text[i].unicode();
        if (u < 0x20 || u == '_' || u >= 0xD800) {
            if (needsEscape(text, i) || escapeAt(text, i)) {
                return false;
            }
        }
    }
    return true;
}

/* Escape what XML cannot carry and what would read as an escape. */
QString XlsxText::escape(const QString& text) {
    if (isPlain(text)) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 16);
    for (int i = 0; i < text.size(); ++i) {
        if (needsEscape(text, i)) {
            out += escapeUnit(text[i].unicode());
        } else if (escapeAt(text, i)) {
            out += QLatin1String("_x005F_");
        } else {
            out += text[i];
        }
    }
    return out;
}

/* Turn every "_xHHHH_" back into its character. */
QString XlsxText::unescape(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (escapeAt(text, i)) {
            out += QChar(static_cast<ushort>(text.midRef(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}
