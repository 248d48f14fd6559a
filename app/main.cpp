#include "app/instancegate.h"
#include "app/languages.h"
#include "app/mainwindow.h"
#include "app/programexit.h"
#include "app/runmarker.h"
#include "app/startuppaths.h"
#include "office/officechoice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

/* Settings in the user's configuration folder for an installed copy: one whose folder is
   read-only, or (run by an administrator, who may write anywhere) one installed with its desktop
   entry. */
void placeSettingsOfInstalledCopy() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const bool installed =
        !QFileInfo(programFolder).isWritable() ||
        QFileInfo::exists(programFolder + QStringLiteral("/../share/applications/") +
                          QStringLiteral(SW_APP_ID) + QStringLiteral(".desktop"));
    QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!configFolder.isEmpty()) {
        configFolder = QDir::toNativeSeparators(configFolder + QLatin1Char('/'));
    }
    useConfigFolderWhenInstalled(installed, configFolder.toLocal8Bit().toStdString());
}

/* True when a copy that did not answer is converting: this copy then says so and ends
   instead of ending that copy by name. */
bool runningCopyConverts() {
    if (!RunMarker::heldElsewhere()) {
        return false;
    }
    QMessageBox::information(nullptr, QStringLiteral("Sheetweaver"),
                             QCoreApplication::translate(
                                 "main", "Sheetweaver正在另一个窗口中转换，请等它完成后再启动。"));
    return true;
}

}  // namespace

/* Start-up: paths beside the executable (or the user's configuration folder for an installed
   copy), one running copy (handed over to when it answers), then the window and its loop. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    QApplication* application = new QApplication(argc, argv);
    // Named here, not after the executable, so the configuration folder is the same for any
    // name the program is started under.
    QCoreApplication::setApplicationName(QStringLiteral("Sheetweaver"));
    QGuiApplication::setDesktopFileName(QStringLiteral(SW_APP_ID));
    // A running copy that answers is asked to show its window and this copy ends; an idle copy
    // that does not answer (an older version ending after an update) is handled by the
    // process-name rule; one that converts is left alone.
    const QString gateName = InstanceGate::serverNameForThisUser();
    if (InstanceGate::askRunningCopyToShow(gateName)) {
        delete application;
        return 0;
    }
    Languages::install(Languages::forThisProcess());
    if (runningCopyConverts()) {
        delete application;
        return 0;
    }
    enforceSingleInstance();
    // The automatic choice until the window restores the user's: Office/WPS over COM where
    // both answer, the built-in Word and Excel otherwise.
    useOffice(OfficeChoice::Automatic);
    placeSettingsOfInstalledCopy();
    MainWindow* window = new MainWindow();
    InstanceGate* gate = new InstanceGate(window);
    gate->listen(gateName, [window] { window->ShowSoftWindow(); });
    window->show();
    const int exitCode = application->exec();
    return finishProgram(application, window, exitCode);
}
