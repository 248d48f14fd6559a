#include "app/programexit.h"

#include "app/mainwindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

/* Destroy window and application, or leave at once while a worker thread is at work. */
int finishProgram(QApplication* application, MainWindow* window, int exitCode) {
    delete window;
    if (MainWindow::workersLeftRunning()) {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    delete application;
    return exitCode;
}
