#include "app/instancegate.h"
#include "app/languages.h"
#include "app/mainwindow.h"
#include "app/programexit.h"
#include "app/startuppaths.h"
#include "office/builtinoffice.h"

#include <QApplication>

/* Start-up: paths beside the executable, one running copy, then the window and its loop.
   A running copy that answers is asked to show its window and this copy ends; a copy that
   does not answer (one that is ending, after an update) is handled by the process-name rule. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    QApplication* application = new QApplication(argc, argv);
    const QString gateName = InstanceGate::serverNameForThisProcess();
    if (InstanceGate::askRunningCopyToShow(gateName)) {
        delete application;
        return 0;
    }
    enforceSingleInstance();
#ifndef _WIN32
    // No COM here: the built-in Word and Excel answer to the office program identifiers.
    registerBuiltinOffice();
#endif
    Languages::install(Languages::forThisProcess());
    MainWindow* window = new MainWindow();
    InstanceGate* gate = new InstanceGate(window);
    gate->listen(gateName, [window] { window->ShowSoftWindow(); });
    window->show();
    const int exitCode = application->exec();
    return finishProgram(application, window, exitCode);
}
