#pragma once

#include <QString>
#include <QStringList>

// The pieces of Word's linear equation format, shared by every reader that meets equations
// (Office Math in .docx, equation objects and EQ fields in .doc): a fraction a/b, scripts x^2
// and x_i, radicals √(x) and √(n&x), n-ary operators ∑_(i=1)^n▒x, delimiters as written,
// matrices ■(a&b@c&d). A side of more than one term is put in brackets. The functions only
// join texts; they never fail.
class MathLinear {
public:
    // A text as one operand: as it is when it is one term (a name, a number, one character),
    // else in brackets.
    static QString operand(const QString& text);

    static QString fraction(const QString& numerator, const QString& denominator);
    static QString superscript(const QString& base, const QString& sup);
    static QString subscript(const QString& base, const QString& sub);
    static QString subSuperscript(const QString& base, const QString& sub, const QString& sup);
    // Scripts written before their base.
    static QString preScripts(const QString& sub, const QString& sup, const QString& base);
    // √(body), or √(degree&body) when a degree is given.
    static QString radical(const QString& degree, const QString& body);
    // An n-ary operator with its limits (empty limits are left out) and its argument.
    static QString nary(const QString& op, const QString& sub, const QString& sup,
                        const QString& body);
    // Items between delimiters, separated by `separator`.
    static QString delimited(const QString& open, const QStringList& items,
                             const QString& separator, const QString& close);
    // A function applied to its argument: sin x.
    static QString function(const QString& name, const QString& argument);
    // A limit written under or over its base: lim_(x→0).
    static QString below(const QString& base, const QString& limit);
    static QString above(const QString& base, const QString& limit);
    // A matrix from its rows, each row's cells already joined by '&' (see row()).
    static QString matrix(const QStringList& rows);
    // One matrix row from its cells.
    static QString row(const QStringList& cells);
    // Equations stacked in one array.
    static QString equationArray(const QStringList& lines);
};
