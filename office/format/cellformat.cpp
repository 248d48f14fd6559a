#include "office/format/cellformat.h"

#include <QtGlobal>

/* Compare every field; formats are interned by this equality. */
bool CellFormat::operator==(const CellFormat& other) const {
    return fontName == other.fontName && qFuzzyCompare(fontSize + 1, other.fontSize + 1) &&
           bold == other.bold && italic == other.italic && strike == other.strike &&
           underline == other.underline && fontColor == other.fontColor &&
           fillColor == other.fillColor && left == other.left && right == other.right &&
           top == other.top && bottom == other.bottom && hAlign == other.hAlign &&
           vAlign == other.vAlign && wrap == other.wrap && numberFormat == other.numberFormat;
}

namespace {

/* Fold one border side into a hash. */
uint hashBorder(const BorderLine& line, uint seed) {
    return qHash(static_cast<uint>(line.style) * 31u + line.color, seed);
}

}  // namespace

/* Hash the fields that equality compares. */
uint qHash(const CellFormat& format, uint seed) {
    uint h = qHash(format.fontName, seed);
    h = qHash(qRound(format.fontSize * 100), h);
    h = qHash((format.bold ? 1u : 0u) | (format.italic ? 2u : 0u) | (format.strike ? 4u : 0u) |
                  (static_cast<uint>(format.underline) << 3) |
                  (static_cast<uint>(format.hAlign) << 5) |
                  (static_cast<uint>(format.vAlign) << 8) | (format.wrap ? 1024u : 0u),
              h);
    h = qHash(format.fontColor, h);
    h = qHash(format.fillColor, h);
    h = hashBorder(format.left, h);
    h = hashBorder(format.right, h);
    h = hashBorder(format.top, h);
    h = hashBorder(format.bottom, h);
    return qHash(format.numberFormat, h);
}
