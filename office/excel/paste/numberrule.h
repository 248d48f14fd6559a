#pragma once

#include <QString>

#include <optional>

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
    // A number as written: its value and the format that shows it so (empty: General).
    struct Number {
        double value = 0;
        QString numberFormat;
    };

    // The number `text` is by this rule; none when it stays text.
    static std::optional<Number> parse(const QString& text);
};
