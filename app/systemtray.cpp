#include "app/systemtray.h"

#include "app/appresources.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>

#include <utility>

SystemTray* trayIcon = nullptr;

/* Build the menu, then show the icon with its tooltip. */
SystemTray::SystemTray(QObject* parent) : QSystemTrayIcon(parent) {
    trayMenu = new QMenu();
    settingsAction = new QAction(tr("软件设置"), this);
    quitAction = new QAction(tr("退出程序"), this);
    trayMenu->addAction(settingsAction);
    trayMenu->addAction(quitAction);
    setContextMenu(trayMenu);
    loadAppResources();
    setIcon(QIcon(QStringLiteral(":/images/qvr.ico")));
    setToolTip(QStringLiteral("Sheetweaver"));
    setVisible(true);
    connect(settingsAction, &QAction::triggered, this, &SystemTray::ShowUi, Qt::AutoConnection);
    connect(quitAction, &QAction::triggered, this, &SystemTray::UiQuit, Qt::AutoConnection);
}

/* Release the parentless menu together with the icon. */
SystemTray::~SystemTray() {
    delete trayMenu;
}

/* Set the question asked before quitting. */
void SystemTray::setQuitCheck(std::function<bool()> check) {
    m_quitCheck = std::move(check);
}

/* End the event loop unless the quit check says no. */
void SystemTray::UiQuit() {
    if (m_quitCheck && !m_quitCheck()) {
        return;
    }
    QCoreApplication::quit();
}

/* Ask the window to show itself. */
void SystemTray::ShowUi() {
    emit showWidget();
}

/* Show one balloon message on the icon. */
void SystemTray::showBalloon(const QString& title, const QString& message, int iconKind,
                             int timeoutMs) {
    showMessage(title, message, static_cast<QSystemTrayIcon::MessageIcon>(iconKind), timeoutMs);
}
