#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// Closes every modal message box that appears while it is alive and records its title, text
// and detailed text, so a slot that shows QMessageBox::about can run inside a test without a user.
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

private:
    void closeModal() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        titles << box->windowTitle();
        texts << box->text();
        details << box->detailedText();
        box->accept();
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
