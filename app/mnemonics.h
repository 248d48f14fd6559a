#pragma once

#include <QChar>
#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

// Alt keys for the window's buttons and options in either language. A text that has one
// already (the English translation writes "&Convert") keeps it; any other gets the key in
// brackets, as Chinese programs show it: "转换(&C)", before a closing colon:
// "最后一行行号(&L)：".
class Mnemonics {
public:
    // `text` with `key` as its Alt key (see above).
    static QString withKey(const QString& text, QChar key);

    static void give(QAbstractButton* button, QChar key);

    // For a label: its Alt key moves the focus to `buddy`.
    static void give(QLabel* label, QWidget* buddy, QChar key);
};
