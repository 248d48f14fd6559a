#pragma once

// HtmlStyle: the CSS properties a copy into a spreadsheet keeps, as one element states them
// (in its style attribute, a class rule, or its tag's meaning), each unset until stated, so
// that rules and inline styles can be laid over one another and over the parent's values.
//
// Read: font-weight, font-style, text-decoration(-line), color, background(-color),
// font-size (pt, px, em, %, keywords), font-family (first family), text-align,
// vertical-align, border and border-* (width, style, colour), width, display:none.
// Word's own mso-* properties and everything else are ignored.

#include "office/word/model/worddocument.h"

#include <QString>
#include <QStringView>

#include <optional>

struct HtmlStyle {
    std::optional<bool> bold, italic, strike;
    std::optional<WordRunFormat::Underline> underline;
    std::optional<std::uint32_t> color;
    std::optional<std::uint32_t> background;  // kAutoColor: transparent
    std::optional<double> fontSize;           // points
    std::optional<double> fontScale;          // relative to the inherited size (em, %)
    std::optional<QString> fontFamily;
    std::optional<WordParagraph::Alignment> textAlign;
    std::optional<WordCell::VerticalAlignment> verticalAlign;
    std::optional<int> widthTwips;
    std::optional<bool> hidden;  // display:none
    WordBorders borders;         // top, left, bottom, right

    // Lay `over` on these properties: its stated properties win.
    void merge(const HtmlStyle& over);

    // Parse a declaration list ("color: red; font-weight: bold"); unknown or malformed
    // declarations are skipped, a later declaration wins over an earlier one.
    static HtmlStyle parse(QStringView declarations);
    // Add one declaration (name in lower case) to `style`.
    static void apply(QStringView name, QStringView value, HtmlStyle& style);

    // A CSS or HTML colour: #rgb, #rrggbb, rgb(r, g, b), or a name; nullopt when unreadable.
    // "transparent" gives kAutoColor.
    static std::optional<std::uint32_t> parseColor(QStringView value);
    // A length in twips: pt, px (96 per inch), in, cm, mm, pc, or a bare number of pixels
    // (HTML attributes); nullopt for percentages, auto and anything unreadable.
    static std::optional<int> parseTwips(QStringView value);
    // A font size: points, or a scale of the inherited size (em, %); the seven HTML <font
    // size> steps and the CSS keywords are points. False when unreadable.
    static bool parseFontSize(QStringView value, HtmlStyle& style);
    // The points of <font size="n"> (1..7, or +n / -n from 3).
    static std::optional<double> fontTagSize(QStringView value);
    // A border shorthand ("solid 1.0pt windowtext", "1px solid #000", "none").
    static WordBorder parseBorder(QStringView value);
};
