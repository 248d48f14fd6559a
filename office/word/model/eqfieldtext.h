#pragma once

#include <QString>

// The text of an EQ field (Word's equation field code: EQ \f(a,b), \r(n,x), \s\up8(2),
// \b\bc\[(x), \i\su(1,n,x), \a\co2(a,b,c,d), \l(a,b), \o(a,b), \x(a), \d\fo10()) in Word's
// linear format (see MathLinear), for fields whose result holds no text. Arguments are
// separated by ',' or ';'; "\," and the like give the character itself; unknown switches
// are skipped. Nesting deeper than kMaxDepth and instructions longer than kMaxLength give
// no text.
class EqFieldText {
public:
    static constexpr int kMaxDepth = 32;
    static constexpr int kMaxLength = 8192;

    // Whether a field instruction is an EQ field ("EQ" first, letter case ignored).
    static bool isEq(const QString& instruction);
    // The linear text of an EQ field instruction; empty when it is none or is too deep.
    static QString linear(const QString& instruction);
};
