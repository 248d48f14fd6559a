#include "office/word/model/mathlinear.h"

namespace {

/* Whether a text is one term: a name, a number or one character. */
bool isOneTerm(const QString& text) {
    if (text.size() <= 1) {
        return true;
    }
    for (const QChar c : text) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.')) {
            return false;
        }
    }
    return true;
}

}  // namespace

/* Bracket a side of more than one term. */
QString MathLinear::operand(const QString& text) {
    return isOneTerm(text) ? text : QLatin1Char('(') + text + QLatin1Char(')');
}

/* a/b. */
QString MathLinear::fraction(const QString& numerator, const QString& denominator) {
    return operand(numerator) + QLatin1Char('/') + operand(denominator);
}

/* x^2. */
QString MathLinear::superscript(const QString& base, const QString& sup) {
    return operand(base) + QLatin1Char('^') + operand(sup);
}

/* x_i. */
QString MathLinear::subscript(const QString& base, const QString& sub) {
    return operand(base) + QLatin1Char('_') + operand(sub);
}

/* x_i^2. */
QString MathLinear::subSuperscript(const QString& base, const QString& sub, const QString& sup) {
    return operand(base) + QLatin1Char('_') + operand(sub) + QLatin1Char('^') + operand(sup);
}

/* _i^2 x. */
QString MathLinear::preScripts(const QString& sub, const QString& sup, const QString& base) {
    return QLatin1Char('_') + operand(sub) + QLatin1Char('^') + operand(sup) + operand(base);
}

/* √(x) or √(n&x). */
QString MathLinear::radical(const QString& degree, const QString& body) {
    if (degree.isEmpty()) {
        return QStringLiteral("√(") + body + QLatin1Char(')');
    }
    return QStringLiteral("√(") + degree + QLatin1Char('&') + body + QLatin1Char(')');
}

/* ∑_(i=1)^n▒x. */
QString MathLinear::nary(const QString& op, const QString& sub, const QString& sup,
                         const QString& body) {
    QString text = op;
    if (!sub.isEmpty()) {
        text += QLatin1Char('_') + operand(sub);
    }
    if (!sup.isEmpty()) {
        text += QLatin1Char('^') + operand(sup);
    }
    return text + QStringLiteral("▒") + operand(body);
}

/* (a|b). */
QString MathLinear::delimited(const QString& open, const QStringList& items,
                              const QString& separator, const QString& close) {
    return open + items.join(separator) + close;
}

/* sin x. */
QString MathLinear::function(const QString& name, const QString& argument) {
    return name + QLatin1Char(' ') + operand(argument);
}

/* lim_(x→0). */
QString MathLinear::below(const QString& base, const QString& limit) {
    return operand(base) + QLatin1Char('_') + operand(limit);
}

/* x^(...) written over. */
QString MathLinear::above(const QString& base, const QString& limit) {
    return operand(base) + QLatin1Char('^') + operand(limit);
}

/* ■(a&b@c&d). */
QString MathLinear::matrix(const QStringList& rows) {
    return QStringLiteral("■(") + rows.join(QLatin1Char('@')) + QLatin1Char(')');
}

/* a&b. */
QString MathLinear::row(const QStringList& cells) {
    return cells.join(QLatin1Char('&'));
}

/* █(a@b). */
QString MathLinear::equationArray(const QStringList& lines) {
    return QStringLiteral("█(") + lines.join(QLatin1Char('@')) + QLatin1Char(')');
}
