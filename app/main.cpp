#include "app/mainwindow.h"
#include "app/programexit.h"
#include "app/startuppaths.h"
#include "office/builtinoffice.h"

#include <QApplication>

/* Start-up: paths beside the executable, one running copy, then the window and its loop. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    enforceSingleInstance();
#ifndef _WIN32
    // No COM here: the built-in Word and Excel answer to the office program identifiers.
    registerBuiltinOffice();
#endif

    QApplication* application = new QApplication(argc, argv);
    MainWindow* window = new MainWindow();
    window->show();
    const int exitCode = application->exec();
    return finishProgram(application, window, exitCode);
}
