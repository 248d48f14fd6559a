#pragma once

#include <QByteArray>
#include <QString>

class XmlReader;

// The text of a MathML equation (W3C MathML 2/3 presentation markup) in Word's linear format
// (see MathLinear), as OpenOffice and LibreOffice formula objects store it: the object's
// "package_stream" is an OpenDocument package whose content.xml holds a <math> element.
// Token elements give their text, mfrac/msqrt/mroot/msub/msup/msubsup/munder/mover/
// munderover/mfenced/mtable their linear forms; an operator such as ∑ with limits takes the
// element after it as its argument; annotations (the formula's own source text) are skipped.
//
// Bounded: the package's part limits, and elements nested at most kMaxDepth deep; broken
// XML or a missing content.xml gives no text.
class MathMlEquation {
public:
    static constexpr int kMaxDepth = 128;
    static constexpr qint64 kMaxContentBytes = 16 * 1024 * 1024;

    // The linear text of the formula in an OpenDocument package (a ZIP archive); false
    // (text untouched) when the package, its content.xml or the MathML cannot be read.
    static bool fromOdfPackage(const QByteArray& package, QString* text);
    // The linear text of a MathML document; false as above.
    static bool fromMathMl(const QByteArray& xml, QString* text);
};
