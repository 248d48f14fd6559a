#pragma once

#include <QHashFunctions>
#include <QString>

#include <cstdint>

// The formats a cell can carry from Word into a workbook and between workbooks.
//
// Colours are 0xRRGGBB; kAutoColor means "not set" (the application's automatic colour).
// Sizes are points; 0 means "not set" (the workbook's default font size).

constexpr std::uint32_t kAutoColor = 0xFFFFFFFFu;

// One side of a cell border.
struct BorderLine {
    enum Style : std::uint8_t { None, Thin, Medium, Thick, Double, Dotted, Dashed, Hair };
    Style style = None;
    std::uint32_t color = kAutoColor;

    bool operator==(const BorderLine& other) const {
        return style == other.style && color == other.color;
    }
    bool operator!=(const BorderLine& other) const { return !(*this == other); }
};

// A cell's format: font, fill, borders, alignment, wrap and number format.
struct CellFormat {
    enum class HAlign : std::uint8_t { General, Left, Center, Right, Justify };
    enum class VAlign : std::uint8_t { Bottom, Top, Center };
    enum class Underline : std::uint8_t { None, Single, Double };

    QString fontName;  // empty: the workbook's default font
    double fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    Underline underline = Underline::None;
    std::uint32_t fontColor = kAutoColor;
    std::uint32_t fillColor = kAutoColor;  // solid fill; kAutoColor: no fill
    BorderLine left, right, top, bottom;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    QString numberFormat;  // empty: "General"

    bool operator==(const CellFormat& other) const;
    bool operator!=(const CellFormat& other) const { return !(*this == other); }
};

// Hash for interning formats in a QHash.
uint qHash(const CellFormat& format, uint seed = 0);
