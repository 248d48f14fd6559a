#include "office/word/doc/docstylesheet.h"

#include "office/word/doc/docformatter.h"

#include <algorithm>

namespace {

constexpr int kNoStyle = 0x0FFF;
constexpr int kMaxStyles = 4096;
constexpr int kMaxChain = 32;

}  // namespace

/* Read Stshi and every STD. */
bool DocStyleSheet::parse(const DocBytes& stsh) {
    m_styles.clear();
    const qint64 cbStshi = stsh.u16(0);
    if (cbStshi < 4 || !stsh.contains(2, cbStshi)) {
        return false;
    }
    const DocBytes stshi = stsh.mid(2, cbStshi);
    // Stshif (2.9.274): cstd, cbSTDBaseInFile, ..., ftcAsci at 12, ftcFE at 14.
    const int count = qMin(static_cast<int>(stshi.u16(0)), kMaxStyles);
    const int baseSize = stshi.u16(2);
    if (stshi.contains(12, 4)) {
        m_defaultChar.fontAscii = stshi.u16(12);
        m_defaultChar.fontEastAsia = stshi.u16(14);
    }
    m_styles.resize(static_cast<size_t>(count));
    qint64 pos = 2 + cbStshi;
    for (int istd = 0; istd < count && stsh.contains(pos, 2); ++istd) {
        const qint64 cbStd = stsh.u16(pos);
        if (cbStd > 0 && stsh.contains(pos + 2, cbStd)) {
            readStyle(istd, stsh.mid(pos + 2, cbStd), baseSize);
        }
        pos += 2 + cbStd;
    }
    resolve();
    return true;
}

/* Read one STD: StdfBase, the name, and its UPX entries (2.9.326 LPUpxPapx etc.). */
void DocStyleSheet::readStyle(int istd, const DocBytes& std, int baseSize) {
    if (baseSize < 10 || !std.contains(0, baseSize + 2)) {
        return;
    }
    Style& style = m_styles[static_cast<size_t>(istd)];
    style.present = true;
    style.kind = std.u16(2) & 0x0F;
    style.base = std.u16(2) >> 4;
    const int upxCount = std.u16(4) & 0x0F;
    // Xstz name: cch, cch UTF-16 characters, a terminating zero.
    qint64 pos = baseSize + 2 + static_cast<qint64>(std.u16(baseSize)) * 2 + 2;
    std::vector<DocBytes> upxs;
    for (int i = 0; i < upxCount; ++i) {
        pos += pos & 1;
        const qint64 cb = std.u16(pos);
        if (!std.contains(pos + 2, cb)) {
            break;
        }
        upxs.push_back(std.mid(pos + 2, cb));
        pos += 2 + cb;
    }
    auto upx = [&upxs](size_t index) { return index < upxs.size() ? upxs[index] : DocBytes(); };
    if (style.kind == 1) {
        style.papx = upx(0).mid(2, qMax<qint64>(upx(0).size() - 2, 0));  // UpxPapx: istd, grpprl
        style.chpx = upx(1);
    } else if (style.kind == 2) {
        style.chpx = upx(0);
    } else if (style.kind == 3) {
        style.papx = upx(1).mid(2, qMax<qint64>(upx(1).size() - 2, 0));
        style.chpx = upx(2);
    }
}

/* Resolve every style's formats from the root of its base chain down. */
void DocStyleSheet::resolve() {
    std::vector<char> done(m_styles.size(), 0);
    for (size_t istd = 0; istd < m_styles.size(); ++istd) {
        // Collect the chain up to an already resolved style, a root, a cycle or the limit.
        std::vector<int> chain;
        int at = static_cast<int>(istd);
        while (inRange(at) && !done[static_cast<size_t>(at)] &&
               chain.size() < static_cast<size_t>(kMaxChain) &&
               std::find(chain.begin(), chain.end(), at) == chain.end()) {
            chain.push_back(at);
            const Style& style = m_styles[static_cast<size_t>(at)];
            at = style.present ? style.base : kNoStyle;
        }
        const bool hasBase = inRange(at) && done[static_cast<size_t>(at)];
        StoryCharFormat chars =
            hasBase ? m_styles[static_cast<size_t>(at)].charFormat : m_defaultChar;
        StoryParaFormat para =
            hasBase ? m_styles[static_cast<size_t>(at)].paraFormat : m_defaultPara;
        for (size_t i = chain.size(); i-- > 0;) {
            Style& style = m_styles[static_cast<size_t>(chain[i])];
            const StoryCharFormat base = chars;
            DocFormatter::applyChar(style.chpx, base, chars);
            DocFormatter::applyPara(style.papx, DocBytes(), para);
            para.istd = chain[i];
            // Table membership is never inherited from a style.
            para.inTable = false;
            para.tableRowEnd = para.innerCellEnd = para.innerRowEnd = false;
            para.itap = -1;
            style.charFormat = chars;
            style.paraFormat = para;
            done[static_cast<size_t>(chain[i])] = 1;
        }
    }
}

/* Look up a style's resolved character format. */
const StoryCharFormat& DocStyleSheet::charFormat(int istd) const {
    if (!inRange(istd) || !m_styles[static_cast<size_t>(istd)].present) {
        return m_defaultChar;
    }
    return m_styles[static_cast<size_t>(istd)].charFormat;
}

/* Look up a style's resolved paragraph format. */
const StoryParaFormat& DocStyleSheet::paraFormat(int istd) const {
    if (!inRange(istd) || !m_styles[static_cast<size_t>(istd)].present) {
        return m_defaultPara;
    }
    return m_styles[static_cast<size_t>(istd)].paraFormat;
}

/* Tell whether a style is a character style. */
bool DocStyleSheet::isCharacterStyle(int istd) const {
    return inRange(istd) && m_styles[static_cast<size_t>(istd)].present &&
           m_styles[static_cast<size_t>(istd)].kind == 2;
}
