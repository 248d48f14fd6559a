#include "office/excel/xls/xlspalette.h"

#include "office/format/cellformat.h"

#include <QSet>

#include <algorithm>

namespace {

constexpr std::uint16_t kPaletteRecord = 0x0092;

/* Squared distance between two colours, weighted for how the eye sees red, green, blue. */
long colorDistance(std::uint32_t a, std::uint32_t b) {
    const long dr = static_cast<long>((a >> 16) & 0xFF) - static_cast<long>((b >> 16) & 0xFF);
    const long dg = static_cast<long>((a >> 8) & 0xFF) - static_cast<long>((b >> 8) & 0xFF);
    const long db = static_cast<long>(a & 0xFF) - static_cast<long>(b & 0xFF);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

/* Excel 97's default colours for indices 8..63. */
const std::array<std::uint32_t, XlsPalette::kCount>& XlsPalette::defaultColors() {
    return IndexedColors::defaults();
}

/* Start with the default palette. */
XlsPalette::XlsPalette() : m_colors(defaultColors()) {
    rebuildIndex();
}

/* Map each colour to the lowest index holding it. */
void XlsPalette::rebuildIndex() {
    m_exact.clear();
    m_nearestCache.clear();
    for (int i = kCount - 1; i >= 0; --i) {
        m_exact.insert(m_colors[static_cast<size_t>(i)],
                       static_cast<std::uint16_t>(i + kFirstIndex));
    }
}

/* Note a colour; the automatic colour needs no entry. */
void XlsPalette::use(std::uint32_t rgb) {
    if (rgb == kAutoColor ||
        std::find(m_wanted.begin(), m_wanted.end(), rgb & 0xFFFFFF) != m_wanted.end()) {
        return;
    }
    m_wanted.push_back(rgb & 0xFFFFFF);
}

/* Give noted colours without an exact entry the entries no exact colour needs. */
void XlsPalette::assign() {
    QSet<int> locked;
    std::vector<std::uint32_t> missing;
    for (std::uint32_t rgb : m_wanted) {
        const auto found = m_exact.constFind(rgb);
        if (found != m_exact.constEnd()) {
            locked.insert(found.value() - kFirstIndex);
        } else {
            missing.push_back(rgb);
        }
    }
    // Free entries from the end of the palette, where the default holds duplicates and
    // rarely used shades, so black, white and the primaries stay put the longest.
    int slot = kCount - 1;
    for (std::uint32_t rgb : missing) {
        while (slot >= 0 && locked.contains(slot)) {
            --slot;
        }
        if (slot < 0) {
            break;
        }
        m_colors[static_cast<size_t>(slot)] = rgb;
        --slot;
    }
    rebuildIndex();
}

/* Exact entry, else the nearest one. */
std::uint16_t XlsPalette::indexOf(std::uint32_t rgb) const {
    rgb &= 0xFFFFFF;
    const auto found = m_exact.constFind(rgb);
    if (found != m_exact.constEnd()) {
        return found.value();
    }
    const auto cached = m_nearestCache.constFind(rgb);
    if (cached != m_nearestCache.constEnd()) {
        return cached.value();
    }
    const std::uint16_t index = nearest(rgb);
    m_nearestCache.insert(rgb, index);
    return index;
}

/* The entry with the smallest colour distance. */
std::uint16_t XlsPalette::nearest(std::uint32_t rgb) const {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < kCount; ++i) {
        const long distance = colorDistance(rgb, m_colors[static_cast<size_t>(i)]);
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<std::uint16_t>(best + kFirstIndex);
}

/* Colour of a palette index; the first eight are the fixed EGA colours. */
std::uint32_t XlsPalette::color(int index) const {
    if (index >= 0 && index < kFirstIndex) {
        return defaultColors()[static_cast<size_t>(index)];
    }
    if (index < kFirstIndex || index >= kFirstIndex + kCount) {
        return kAutoColor;
    }
    return m_colors[static_cast<size_t>(index - kFirstIndex)];
}

/* Replace one entry. */
void XlsPalette::setColor(int index, std::uint32_t rgb) {
    if (index < kFirstIndex || index >= kFirstIndex + kCount) {
        return;
    }
    m_colors[static_cast<size_t>(index - kFirstIndex)] = rgb & 0xFFFFFF;
    rebuildIndex();
}

/* Palette (MS-XLS 2.4.188): ccv, then LongRGB entries (red, green, blue, reserved). */
void XlsPalette::write(XlsRecordWriter& out) const {
    if (isDefault()) {
        return;
    }
    out.beginRecord(kPaletteRecord);
    out.putU16(kCount);
    for (std::uint32_t rgb : m_colors) {
        out.putU8(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
        out.putU8(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
        out.putU8(static_cast<std::uint8_t>(rgb & 0xFF));
        out.putU8(0);
    }
    out.endRecord();
}
