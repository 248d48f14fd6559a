#include "app/mnemonics.h"

#include <QAbstractButton>
#include <QLabel>

/* Keep an existing '&'; else "(&K)" before a final colon or at the end. */
QString Mnemonics::withKey(const QString& text, QChar key) {
    if (text.contains(QLatin1Char('&'))) {
        return text;
    }
    const QString marker = QStringLiteral("(&") + key.toUpper() + QLatin1Char(')');
    QString result = text;
    const bool colon = result.endsWith(QChar(0xFF1A)) || result.endsWith(QLatin1Char(':'));
    result.insert(colon ? result.size() - 1 : result.size(), marker);
    return result;
}

/* The button's text with its key. */
void Mnemonics::give(QAbstractButton* button, QChar key) {
    button->setText(withKey(button->text(), key));
}

/* The label's text with its key, and the widget it leads to. */
void Mnemonics::give(QLabel* label, QWidget* buddy, QChar key) {
    label->setText(withKey(label->text(), key));
    label->setBuddy(buddy);
}
