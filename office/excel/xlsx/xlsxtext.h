#pragma once

#include <QString>

// Cell text as stored in OOXML string items (ECMA-376 Part 1, 22.9.2.19 ST_Xstring):
// characters that XML cannot carry are written as "_xHHHH_", and an underscore that would
// read as such an escape is itself escaped as "_x005F_". XmlSink writes these escapes; this
// reads them.
class XlsxText {
public:
    // Undo the escapes: every "_xHHHH_" becomes its character.
    static QString unescape(const QString& text);
    // True when text[i..] reads "_xHHHH_" (four hexadecimal digits, either case).
    static bool isEscapeAt(const QString& text, int i);
};
