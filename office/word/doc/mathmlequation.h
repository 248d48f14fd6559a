#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

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

    enum class Outcome : std::uint8_t {
        Read,
        NotMath,  // no package, no content.xml, broken XML or no <math> root
        TooLarge  // content.xml beyond kMaxContentBytes or nested beyond kMaxDepth
    };

    // What a reading gives: the outcome, and the linear text when it is Read (else empty).
    struct Reading {
        Outcome outcome = Outcome::NotMath;
        QString text;
    };

    // The linear text of the formula in an OpenDocument package (a ZIP archive).
    static Reading fromOdfPackage(const QByteArray& package);
    // The linear text of a MathML document.
    static Reading fromMathMl(const QByteArray& xml);
};
