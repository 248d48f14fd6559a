#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text of an Equation Editor 3.x or MathType equation in Word's linear format (see
// MathLinear). Such an equation is an OLE object whose "Equation Native" stream holds a header
// (cbHdr, version, clipboard format, cbObject, four reserved words: 28 bytes) and then the
// equation in MTEF, the record format Design Science publishes: version 3 (Equation Editor
// 3.x, tag byte = options << 4 | record type) or version 5 (MathType 4 and later, record type
// byte then options byte). Records are read into a tree of lines, characters, templates, piles
// and matrices, then laid out: templates by their selector (fractions, radicals, scripts,
// fences, big operators, limits), piles as equation arrays, matrices as ■(…).
//
// Bounded: at most kMaxRecords records and kMaxDepth nested object lists; anything truncated,
// unknown or beyond the bounds makes the whole equation unreadable (no partial text).
class MtefEquation {
public:
    static constexpr int kMaxRecords = 100000;
    static constexpr int kMaxDepth = 64;

    // The linear text of an "Equation Native" stream; none when the stream is no MTEF
    // version 3 or 5 equation or is damaged.
    static std::optional<QString> fromEquationNative(const QByteArray& stream);
    // The linear text of MTEF bytes (starting at the MTEF header); none as above.
    static std::optional<QString> fromMtef(const QByteArray& mtef);
};
