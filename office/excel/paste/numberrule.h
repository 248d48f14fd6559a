#pragma once

#include <QString>

// The rule by which pasted or split text becomes a number: only when nothing is lost.
//
// Accepted: optional "-", digits without a leading zero (or a single 0), thousands
// separators "," in groups of three, optional decimal part ".ddd", optional trailing "%",
// at most 15 significant digits. Everything else stays text: spaces, "+", exponents,
// currency, leading zeros, dates ("1-2", "3/4"), "-0".
//
// The number format shows the number exactly as written: "1.50" -> 1.5 with "0.00",
// "12%" -> 0.12 with "0%", "1,234" -> 1234 with "#,##0", "42" -> 42 with General (empty).
class NumberRule {
public:
    // True when `text` is such a number; then `value` and `numberFormat` are set (an empty
    // format means General).
    static bool parse(const QString& text, double* value, QString* numberFormat);
};
