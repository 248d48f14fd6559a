#pragma once

#include <QString>

// Cell text as stored in OOXML string items (ECMA-376 Part 1, 22.9.2.19 ST_Xstring):
// characters that XML cannot carry are written as "_xHHHH_", and an underscore that would
// read as such an escape is itself escaped as "_x005F_".
class XlsxText {
public:
    // Escape control characters (other than tab and line feed), carriage returns,
    // unpaired surrogates, U+FFFE/U+FFFF and literal "_xHHHH_" sequences.
    static QString escape(const QString& text);
    // Undo escape(): every "_xHHHH_" becomes its character.
    static QString unescape(const QString& text);
    // True when text needs no escaping (the fast path).
    static bool isPlain(const QString& text);
};
