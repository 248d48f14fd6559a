#pragma once

#include <QString>

// Text sizes as a sheet lays them out, estimated from the font size alone with a fixed
// table of character widths, so that every machine computes the same row heights whatever
// fonts it has installed.
//
// Widths: East Asian wide and full-width characters one em, spaces 0.3 em, every other
// character 0.55 em. Lines: the font size x 1.2, rounded up to whole pixels at 96 dpi
// (0.75 pt steps), as row heights are.
class TextMetrics {
public:
    // The font size cells without one of their own show (the workbook's default font).
    static constexpr double kDefaultFontSize = 11;
    // The tallest row a sheet stores.
    static constexpr double kMaxRowHeight = 409;

    // Width in points of one character (a UCS-4 code point) at a font size.
    static double characterWidth(uint codePoint, double fontSize);
    // Height in points of one line of text at a font size.
    static double lineHeight(double fontSize);
    // Pixels of a column `width` characters wide: characters of the default font x 7 px
    // + 5 px padding.
    static int columnPixels(double width);
    // The room in points for text in a cell `pixels` wide (less the cell's inner margins).
    static double textWidth(int pixels);
    // Number of lines `text` takes: one per line feed, and with `wrap` the extra lines of
    // breaking at spaces and around wide characters (a word longer than a line breaks
    // inside) to stay within `width` points. At least 1.
    static int lineCount(const QString& text, double fontSize, bool wrap, double width);
    // Height in points a cell needs to show `lines` lines at a font size, capped at the
    // tallest row.
    static double cellHeight(int lines, double fontSize);
    // A height rounded up to the next whole pixel (0.75 pt).
    static double roundUpToPixel(double points);
};
