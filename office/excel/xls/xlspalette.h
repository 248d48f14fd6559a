#pragma once

#include "office/excel/xls/xlsrecordwriter.h"
#include "office/format/indexedcolors.h"

#include <QHash>

#include <array>
#include <cstdint>
#include <vector>

// The colour palette of a BIFF8 workbook: indices 8 to 63 (MS-XLS 2.5.161 Icv), starting
// as Excel 97's default palette.
//
// Writing: note every colour the workbook uses (use()), then assign() gives colours without
// an exact default entry their own entries, overwriting default entries no exact colour
// needs; once entries run out, the rest map to the nearest entry. write() emits PALETTE
// (MS-XLS 2.4.188) only when an entry changed. Reading: setColor() applies a PALETTE record.
class XlsPalette {
public:
    static constexpr int kFirstIndex = IndexedColors::kFirstIndex;
    static constexpr int kCount = IndexedColors::kCount;
    // Automatic colours of font, border/pattern foreground and pattern background.
    static constexpr std::uint16_t kAutoFont = 0x7FFF;
    static constexpr std::uint16_t kAutoForeground = 0x0040;
    static constexpr std::uint16_t kAutoBackground = 0x0041;

    XlsPalette();

    // Note a 0xRRGGBB colour the workbook needs.
    void use(std::uint32_t rgb);
    // Give every noted colour an entry, exact where entries allow.
    void assign();
    // The index of the entry equal to `rgb`, else of the nearest entry (8..63).
    std::uint16_t indexOf(std::uint32_t rgb) const;
    // The 0xRRGGBB colour of an index; indices outside 8..63 (system colours) give
    // kAutoColor from cellformat.h's convention (0xFFFFFFFF).
    std::uint32_t color(int index) const;
    // Replace one entry (reading a PALETTE record); out-of-range indices are ignored.
    void setColor(int index, std::uint32_t rgb);
    bool isDefault() const { return m_colors == defaultColors(); }
    // PALETTE with all 56 entries, when any differs from the default.
    void write(XlsRecordWriter& out) const;

    static const std::array<std::uint32_t, kCount>& defaultColors();

private:
    std::uint16_t nearest(std::uint32_t rgb) const;
    void rebuildIndex();

    std::array<std::uint32_t, kCount> m_colors;
    QHash<std::uint32_t, std::uint16_t> m_exact;  // colour -> lowest index holding it
    std::vector<std::uint32_t> m_wanted;          // noted colours in order of first use
    mutable QHash<std::uint32_t, std::uint16_t> m_nearestCache;
};
