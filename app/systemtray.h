#pragma once

#include <QSystemTrayIcon>

#include <functional>

class QAction;
class QMenu;

// The program's notification-area icon: a two-entry menu (show the window, quit), the icon's
// clicks forwarded to the window, and the balloon the update worker asks for. Where the system
// has no notification area the object still exists and the program runs all the same.
class SystemTray : public QSystemTrayIcon {
    Q_OBJECT
public:
    // Builds the menu, sets icon and tooltip and makes the icon visible.
    explicit SystemTray(QObject* parent = nullptr);
    ~SystemTray() override;

    QMenu* trayMenu;          // the context menu; no Qt parent, released with the icon
    QAction* settingsAction;  // "软件设置": shows the main window
    QAction* quitAction;      // "退出程序": ends the program

    // Ask this function before the quit entry ends the program; false keeps it running. By
    // default nothing is asked. The window asks while a conversion runs.
    void setQuitCheck(std::function<bool()> check);

signals:
    // Asks the window to show itself.
    void showWidget();

public slots:
    // Ends the application's event loop, once the quit check (if set) agrees.
    void UiQuit();
    // Emits showWidget().
    void ShowUi();
    // Shows a balloon; callable from any thread through a queued invocation, since the update
    // worker must not touch the icon from its own thread.
    void showBalloon(const QString& title, const QString& message, int iconKind, int timeoutMs);

private:
    std::function<bool()> m_quitCheck;
};

// The one tray icon of the process, set by the main window when it creates it; never cleared.
extern SystemTray* trayIcon;
