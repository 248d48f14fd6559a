#include "office/excel/model/formatfallback.h"

#include <QHash>

namespace {

/* Bold, italic, strike and underline as one number. */
uint fontFlags(const CellFormat& format) {
    return (format.bold ? 1u : 0u) | (format.italic ? 2u : 0u) | (format.strike ? 4u : 0u) |
           (static_cast<uint>(format.underline) << 3);
}

/* Whether two formats agree on group `group` (0 number format, 1 font, 2 fill, 3 borders). */
bool sameGroup(const CellFormat& a, const CellFormat& b, int group) {
    switch (group) {
        case 0:
            return a.numberFormat == b.numberFormat;
        case 1:
            return a.fontName == b.fontName && a.fontSize == b.fontSize &&
                   fontFlags(a) == fontFlags(b) && a.fontColor == b.fontColor;
        case 2:
            return a.fillColor == b.fillColor;
        default:
            return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
    }
}

/* Hash of group `group` of a format, chained onto `seed`. */
uint hashGroup(const CellFormat& format, int group, uint seed) {
    switch (group) {
        case 0:
            return qHash(format.numberFormat, seed);
        case 1:
            seed = qHash(format.fontName, seed);
            seed = qHash(qRound(format.fontSize * 100), seed);
            return qHash(fontFlags(format) ^ (format.fontColor << 5), seed);
        case 2:
            return qHash(format.fillColor, seed);
        default:
            for (const BorderLine* line :
                 {&format.left, &format.right, &format.top, &format.bottom}) {
                seed = qHash(line->color ^ (static_cast<uint>(line->style) << 24), seed);
            }
            return seed;
    }
}

}  // namespace

/* Equal when the formats agree on every counted group. */
bool FormatFallback::Key::operator==(const Key& other) const {
    if (groups != other.groups) {
        return false;
    }
    for (int group = 0; group < groups; ++group) {
        if (!sameGroup(*format, *other.format, group)) {
            return false;
        }
    }
    return true;
}

/* Hash of the counted groups. */
std::size_t FormatFallback::KeyHash::operator()(const Key& key) const {
    uint hash = qHash(key.groups);
    for (int group = 0; group < key.groups; ++group) {
        hash = hashGroup(*key.format, group, hash);
    }
    return hash;
}

/* Remember the format under each of its leading runs of groups, first kept first. */
void FormatFallback::keep(const CellFormat& format, int index) {
    if (m_first < 0) {
        m_first = index;
    }
    for (int groups = 1; groups <= kGroups; ++groups) {
        m_byPrefix.emplace(Key{&format, groups}, index);
    }
}

/* The kept format sharing the longest run of groups, else the first kept. */
int FormatFallback::nearest(const CellFormat& format) const {
    for (int groups = kGroups; groups >= 1; --groups) {
        const auto found = m_byPrefix.find(Key{&format, groups});
        if (found != m_byPrefix.end()) {
            return found->second;
        }
    }
    return m_first;
}

/* One line naming how many formats were replaced and the limit. */
QString FormatFallback::warning(int replaced, int limit) {
    return QStringLiteral(
               "%1 cell formats beyond the %2 a workbook holds took the nearest kept "
               "format")
        .arg(replaced)
        .arg(limit);
}
