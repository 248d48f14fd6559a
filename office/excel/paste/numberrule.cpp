#include "office/excel/paste/numberrule.h"

#include <QStringList>

namespace {

const int kMaxSignificantDigits = 15;
// General shows at most 11 characters of a number; longer integers get format "0".
const int kGeneralDigits = 11;

// The parts of a number as written.
struct WrittenNumber {
    bool negative = false;
    bool grouped = false;
    bool percent = false;
    QString integerDigits;
    QString decimals;
};

/* Whether every character of `s` is an ASCII digit. */
bool allDigits(const QString& s) {
    for (const QChar c : s) {
        if (c.unicode() < '0' || c.unicode() > '9') {
            return false;
        }
    }
    return true;
}

/* Split "1,234.50%" into its parts; none when the text is not in number form. */
std::optional<WrittenNumber> splitNumber(const QString& text) {
    WrittenNumber number;
    QString body = text;
    if (body.startsWith(QLatin1Char('-'))) {
        number.negative = true;
        body.remove(0, 1);
    }
    if (body.endsWith(QLatin1Char('%'))) {
        number.percent = true;
        body.chop(1);
    }
    const int dot = body.indexOf(QLatin1Char('.'));
    QString integerPart = dot < 0 ? body : body.left(dot);
    if (dot >= 0) {
        number.decimals = body.mid(dot + 1);
        if (number.decimals.isEmpty()) {
            return std::nullopt;
        }
    }
    const QStringList groups = integerPart.split(QLatin1Char(','));
    number.grouped = groups.size() > 1;
    for (int i = 0; i < groups.size(); ++i) {
        const QString& group = groups[i];
        if (group.isEmpty() || (i > 0 && group.size() != 3) ||
            (i == 0 && group.size() > 3 && number.grouped)) {
            return std::nullopt;
        }
        number.integerDigits += group;
    }
    if (number.integerDigits.isEmpty() || !allDigits(number.integerDigits) ||
        !allDigits(number.decimals)) {
        return std::nullopt;
    }
    // No leading zero, except a single 0 before the decimal point (and "0" itself).
    if (number.integerDigits.size() > 1 && number.integerDigits.startsWith(QLatin1Char('0'))) {
        return std::nullopt;
    }
    return number;
}

/* Digits from the first non-zero digit to the last non-zero decimal digit. */
int significantDigits(const WrittenNumber& number) {
    QString digits = number.integerDigits + number.decimals;
    int first = 0;
    while (first < digits.size() && digits[first] == QLatin1Char('0')) {
        ++first;
    }
    int last = digits.size();
    const int decimalStart = number.integerDigits.size();
    while (last > decimalStart && last > first && digits[last - 1] == QLatin1Char('0')) {
        --last;
    }
    return qMax(0, last - first);
}

/* The number format that shows the value as written. */
QString formatFor(const WrittenNumber& number) {
    if (!number.grouped && !number.percent && number.decimals.isEmpty()) {
        return number.integerDigits.size() > kGeneralDigits ? QStringLiteral("0") : QString();
    }
    QString format = number.grouped ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (!number.decimals.isEmpty()) {
        format += QLatin1Char('.') + QString(number.decimals.size(), QLatin1Char('0'));
    }
    if (number.percent) {
        format += QLatin1Char('%');
    }
    return format;
}

}  // namespace

/* Apply the lossless rule. */
std::optional<NumberRule::Number> NumberRule::parse(const QString& text) {
    if (text.isEmpty() || text.size() > 64) {
        return std::nullopt;
    }
    const std::optional<WrittenNumber> written = splitNumber(text);
    if (!written) {
        return std::nullopt;
    }
    const WrittenNumber& number = *written;
    const int significant = significantDigits(number);
    if (significant > kMaxSignificantDigits) {
        return std::nullopt;
    }
    if (significant == 0 && number.negative) {
        return std::nullopt;  // "-0" would show as 0
    }
    // Parse the plain digits with a decimal exponent so that "12%" is the double nearest
    // to 0.12, not 12 / 100 rounded twice.
    QString plain = number.integerDigits;
    if (!number.decimals.isEmpty()) {
        plain += QLatin1Char('.') + number.decimals;
    }
    if (number.percent) {
        plain += QLatin1String("e-2");
    }
    bool ok = false;
    const double parsed = plain.toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return Number{number.negative ? -parsed : parsed, formatFor(number)};
}
