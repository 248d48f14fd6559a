#include "engine/formlabels.h"

#include <QStringList>

#include <algorithm>

namespace {

const QChar kTicked(0x2611);       // ☑
const QChar kUnticked(0x2610);     // ☐
const QChar kWhiteSquare(0x25A1);  // □

/* True for a character that marks a check box. */
bool isBox(QChar c) {
    return c == kTicked || c == kUnticked || c == kWhiteSquare;
}

/* The labels of the ticked boxes of a run of check boxes, joined by "、". */
QString tickedOptions(const QString& text) {
    QStringList ticked;
    int at = 0;
    while (at < text.size()) {
        const bool isTicked = text.at(at) == kTicked;
        int end = at + 1;
        while (end < text.size() && !isBox(text.at(end))) {
            ++end;
        }
        const QString option = text.mid(at + 1, end - at - 1).trimmed();
        if (isTicked) {
            ticked.append(option.isEmpty() ? QString(kTicked) : option);
        }
        at = end;
    }
    return ticked.join(QChar(0x3001));
}

}  // namespace

/* White space and a trailing colon removed. */
QString FormLabels::normalise(const QString& text) {
    QString label;
    label.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace()) {
            label.append(c);
        }
    }
    while (label.endsWith(QLatin1Char(':')) || label.endsWith(QChar(0xFF1A))) {
        label.chop(1);
    }
    return label;
}

/* Only spaces, underscores and empty boxes. */
bool FormLabels::isPlaceholder(const QString& text) {
    for (const QChar c : text) {
        if (!c.isSpace() && c != QLatin1Char('_') && c != kUnticked && c != kWhiteSquare) {
            return false;
        }
    }
    return true;
}

/* Any check box in the text. */
bool FormLabels::holdsCheckBox(const QString& text) {
    return std::any_of(text.begin(), text.end(), isBox);
}

/* The collected value of a filled-in text. */
QString FormLabels::value(const QString& text) {
    if (isPlaceholder(text)) {
        return QString();
    }
    const QString trimmed = text.trimmed();
    // Several boxes, or one box with its option's label: a choice, given by what is ticked.
    const bool startsWithBox = !trimmed.isEmpty() && isBox(trimmed.at(0));
    if (startsWithBox && (trimmed.size() > 1 || trimmed.count(kTicked) == 0)) {
        return tickedOptions(trimmed);
    }
    return trimmed;
}
