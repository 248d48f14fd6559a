#include "app/systemtray.h"

#include "tests/app/modalcatcher.h"

#include <QAction>
#include <QEventLoop>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

class TestSystemTray : public QObject {
    Q_OBJECT

private slots:
    void menuTooltipAndVisibility();
    void iconResourceHoldsSeveralSizes();
    void settingsEntryAsksForTheWindow();
    void quitEntryEndsTheEventLoop();
    void quitCheckDecides();
    void balloonRequestFromAnotherThreadRunsOnTheIconsThread();
    void noNotificationAreaStillWorks();
};

/* Two entries in order, the tooltip, and the icon made visible. */
void TestSystemTray::menuTooltipAndVisibility() {
    QObject owner;
    auto* tray = new SystemTray(&owner);
    QCOMPARE(tray->parent(), &owner);
    QVERIFY(tray->contextMenu() != nullptr);
    QVERIFY(tray->contextMenu()->parent() == nullptr);
    const QList<QAction*> entries = tray->contextMenu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), QStringLiteral("软件设置"));
    QCOMPARE(entries[1]->text(), QStringLiteral("退出程序"));
    for (QAction* entry : entries) {
        QCOMPARE(entry->parent(), tray);
        QVERIFY(entry->icon().isNull());
        QVERIFY(entry->shortcut().isEmpty());
        QVERIFY(!entry->isSeparator());
    }
    QCOMPARE(tray->toolTip(), QStringLiteral("Sheetweaver"));
    QVERIFY(tray->isVisible());
    QVERIFY(!tray->icon().isNull());
}

/* The resource is a Windows icon file with a small and a large image. */
void TestSystemTray::iconResourceHoldsSeveralSizes() {
    SystemTray tray;  // registers the resources
    QImageReader reader(QStringLiteral(":/images/qvr.ico"));
    QCOMPARE(reader.format(), QByteArray("ico"));
    QList<int> widths;
    do {
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), image.height());
        widths << image.width();
    } while (reader.jumpToNextImage());
    QVERIFY(widths.contains(16));
    QVERIFY(widths.contains(32));
    QVERIFY(widths.contains(256));
}

/* "软件设置" emits showWidget() once. */
void TestSystemTray::settingsEntryAsksForTheWindow() {
    SystemTray tray;
    QSignalSpy spy(&tray, SIGNAL(showWidget()));
    tray.contextMenu()->actions().at(0)->trigger();
    QCOMPARE(spy.count(), 1);
    tray.ShowUi();
    QCOMPARE(spy.count(), 2);
}

/* "退出程序" ends the running event loop without asking. */
void TestSystemTray::quitEntryEndsTheEventLoop() {
    SystemTray tray;
    QSignalSpy spy(&tray, SIGNAL(showWidget()));
    QAction* quit = tray.contextMenu()->actions().at(1);
    QTimer::singleShot(0, quit, &QAction::trigger);
    QCOMPARE(runApplicationLoop(5000), 0);
    QCOMPARE(spy.count(), 0);
}

/* A quit check that says no keeps the event loop running; one that says yes ends it. */
void TestSystemTray::quitCheckDecides() {
    SystemTray tray;
    QAction* quit = tray.contextMenu()->actions().at(1);
    int asked = 0;
    bool agree = false;
    tray.setQuitCheck([&] {
        ++asked;
        return agree;
    });
    QTimer::singleShot(0, quit, &QAction::trigger);
    QCOMPARE(runApplicationLoop(300), 42);
    QCOMPARE(asked, 1);
    agree = true;
    QTimer::singleShot(0, quit, &QAction::trigger);
    QCOMPARE(runApplicationLoop(5000), 0);
    QCOMPARE(asked, 2);
}

/* A balloon asked for from a worker thread is shown on the thread that owns the icon. */
void TestSystemTray::balloonRequestFromAnotherThreadRunsOnTheIconsThread() {
    SystemTray tray;
    QThread* callerThread = nullptr;
    QThread worker;
    QObject* job = new QObject;
    job->moveToThread(&worker);
    QObject::connect(&worker, &QThread::finished, job, &QObject::deleteLater);
    worker.start();
    bool queued = false;
    QMetaObject::invokeMethod(
        job,
        [&] {
            callerThread = QThread::currentThread();
            queued = QMetaObject::invokeMethod(
                &tray, "showBalloon", Qt::QueuedConnection, Q_ARG(QString, QString()),
                Q_ARG(QString, QStringLiteral("发现新版本")),
                Q_ARG(int, static_cast<int>(QSystemTrayIcon::Information)), Q_ARG(int, 1000));
        },
        Qt::BlockingQueuedConnection);
    QVERIFY(queued);
    QVERIFY(callerThread == &worker);
    QTest::qWait(50);  // the queued call runs here without touching the icon from the worker
    worker.quit();
    QVERIFY(worker.wait(5000));
}

/* Without a notification area (as here, offscreen) the icon is created all the same. */
void TestSystemTray::noNotificationAreaStillWorks() {
    SystemTray tray;
    tray.showBalloon(QString(), QStringLiteral("x"), static_cast<int>(QSystemTrayIcon::Information),
                     10);
    QVERIFY(tray.isVisible() || !QSystemTrayIcon::isSystemTrayAvailable());
    QCOMPARE(tray.contextMenu()->actions().size(), 2);
}

QTEST_MAIN(TestSystemTray)
#include "test_systemtray.moc"
