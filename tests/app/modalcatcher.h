#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// Closes every modal message box that appears while it is alive and records its title, text,
// detailed text and icon, so a slot that shows a message box can run inside a test without a
// user. A box is answered with the button named `answerName` (object name) or the standard
// button `answer` when it has one, else closed with accept().
class ModalCatcher : public QObject {
public:
    ModalCatcher() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { closeModal(); });
        m_timer.start();
    }

    QStringList titles;
    QStringList texts;
    QStringList details;
    QList<QMessageBox::Icon> icons;
    QString answerName;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;

private:
    void closeModal() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        titles << box->windowTitle();
        texts << box->text();
        details << box->detailedText();
        icons << box->icon();
        QAbstractButton* button = answer != QMessageBox::NoButton ? box->button(answer) : nullptr;
        if (!answerName.isEmpty()) {
            button = box->findChild<QAbstractButton*>(answerName);
        }
        if (button != nullptr) {
            button->click();
        } else {
            box->accept();
        }
    }

    QTimer m_timer;
};

// Run the application's event loop until something quits it (result 0) or limitMs pass
// (result 42). The application's own loop is used because a quit outside it would make every
// later local event loop, modal boxes included, return at once.
inline int runApplicationLoop(int limitMs) {
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    limit.start(limitMs);
    return QCoreApplication::exec();
}
