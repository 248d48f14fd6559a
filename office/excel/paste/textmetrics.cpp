#include "office/excel/paste/textmetrics.h"

#include <QVector>

#include <cmath>

namespace {

const double kPixel = 0.75;       // one pixel at 96 dpi, in points
const double kCellPadding = 1.5;  // space above and below the text of a cell, in points

/* Whether a code point is East Asian wide or full-width (drawn one em wide). */
bool isWide(uint c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

/* Whether a line may break after a code point without breaking a word. */
bool isSpace(uint c) {
    return c == ' ' || c == '\t' || c == 0x3000;
}

// Greedy line filling of one paragraph: breaks after spaces and on either side of wide
// characters; a word wider than a line breaks where the line is full.
class LineFiller {
public:
    LineFiller(double fontSize, double width) : m_fontSize(fontSize), m_width(width) {}

    /* Add one character. */
    void add(uint c) {
        const double w = TextMetrics::characterWidth(c, m_fontSize);
        if (isSpace(c)) {  // trailing spaces hang past the line's end
            m_line += w;
            m_word = 0;
            return;
        }
        const bool wide = isWide(c);
        if (m_line + w > m_width && m_line > 0) {
            ++m_lines;
            // A word started after a break on this line moves down whole.
            const bool carry = !wide && m_word > 0 && m_word < m_line;
            m_line = carry ? m_word : 0;
            m_word = carry ? m_word : 0;
        }
        m_line += w;
        m_word = wide ? 0 : m_word + w;
    }

    int lines() const { return m_lines; }

private:
    double m_fontSize;
    double m_width;
    double m_line = 0;  // width of the current line
    double m_word = 0;  // width of the unbroken word ending the line
    int m_lines = 1;
};

}  // namespace

/* Width of one character from the fixed table. */
double TextMetrics::characterWidth(uint codePoint, double fontSize) {
    if (isWide(codePoint)) {
        return fontSize;
    }
    return fontSize * (isSpace(codePoint) ? 0.3 : 0.55);
}

/* The font size x 1.2, in whole pixels. */
double TextMetrics::lineHeight(double fontSize) {
    return roundUpToPixel(fontSize * 1.2);
}

/* Column characters to pixels. */
int TextMetrics::columnPixels(double width) {
    return static_cast<int>(std::floor(std::max(0.0, width) * 7 + 5));
}

/* Pixels of a cell to points of text room: two pixels of margin on each side. */
double TextMetrics::textWidth(int pixels) {
    return std::max(1, pixels - 4) * kPixel;
}

/* Lines of a text, by line feeds and wrapping. */
int TextMetrics::lineCount(const QString& text, double fontSize, bool wrap, double width) {
    if (fontSize <= 0) {
        fontSize = kDefaultFontSize;
    }
    int lines = 0;
    const QVector<QStringRef> paragraphs = text.splitRef(QLatin1Char('\n'));
    for (const QStringRef& paragraph : paragraphs) {
        if (!wrap) {
            ++lines;
            continue;
        }
        LineFiller filler(fontSize, width);
        for (const uint c : paragraph.toUcs4()) {
            if (c != '\r') {
                filler.add(c);
            }
        }
        lines += filler.lines();
    }
    return std::max(1, lines);
}

/* Lines x line height plus the cell's padding, in whole pixels. */
double TextMetrics::cellHeight(int lines, double fontSize) {
    if (fontSize <= 0) {
        fontSize = kDefaultFontSize;
    }
    const double height = std::max(1, lines) * lineHeight(fontSize) + kCellPadding;
    return std::min(kMaxRowHeight, roundUpToPixel(height));
}

/* Round up to 0.75 pt, leaving a float's noise out. */
double TextMetrics::roundUpToPixel(double points) {
    return std::ceil(points / kPixel - 1e-9) * kPixel;
}
