#include "app/mainwindow.h"
#include "app/startuppaths.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

/* Start-up: paths beside the executable, one running copy, then the window and its loop. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    enforceSingleInstance();

    QApplication* application = new QApplication(argc, argv);
    MainWindow* window = new MainWindow();
    window->show();
    const int exitCode = application->exec();
    delete window;
    if (MainWindow::workersLeftRunning()) {
        // A conversion or update still at work ends with the process: leave now, before the
        // application object and the global objects it may still be using are destroyed.
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    delete application;
    return exitCode;
}
