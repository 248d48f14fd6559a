#pragma once

#include "office/xml/xmlreader.h"

#include <QString>

// The text of an Office Math equation (ECMA-376 Part 1, 22.1: m:oMath, m:oMathPara) in the
// linear format Word writes: fractions a/b, scripts x^2 and x_i, radicals √(x) and √(n&x),
// n-ary operators ∑_(i=1)^n▒x, delimiters as written, matrices ■(a&b@c&d). A side of more
// than one term is put in brackets. Unknown elements give the text of their children.
class MathLinearText {
public:
    // True when the reader stands on an element of the math namespace.
    static bool isMath(const XmlReader& reader);
    // Read the current element (an m:oMath or m:oMathPara) to its end and give its linear
    // text; equations of one m:oMathPara are separated by line feeds. Broken XML gives the
    // text read so far (the reader reports the error).
    static QString read(XmlReader& reader);

private:
    explicit MathLinearText(XmlReader& reader) : m_reader(reader) {}

    QString element();
    QString children();
    QString run();
    QString structure(QLatin1String name);

    XmlReader& m_reader;
};
