#include "office/excel/xlsx/xlsxtext.h"

namespace {

/* True for a hexadecimal digit. */
bool isHex(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

}  // namespace

/* Match "_x", four hexadecimal digits and "_". */
bool XlsxText::isEscapeAt(const QString& text, int i) {
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

/* Turn every "_xHHHH_" back into its character. */
QString XlsxText::unescape(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (isEscapeAt(text, i)) {
            out += QChar(static_cast<ushort>(text.midRef(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}
