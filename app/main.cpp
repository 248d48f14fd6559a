#include "app/mainwindow.h"
#include "app/programexit.h"
#include "app/startuppaths.h"
#include "office/builtinoffice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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

}  // namespace

/* Start-up: paths beside the executable (or the user's configuration folder for an installed
   copy), one running copy, then the window and its loop. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    enforceSingleInstance();
#ifndef _WIN32
    // No COM here: the built-in Word and Excel answer to the office program identifiers.
    registerBuiltinOffice();
#endif

    QApplication* application = new QApplication(argc, argv);
    // Named here, not after the executable, so the configuration folder is the same for any
    // name the program is started under.
    QCoreApplication::setApplicationName(QStringLiteral("Sheetweaver"));
    QGuiApplication::setDesktopFileName(QStringLiteral(SW_APP_ID));
    placeSettingsOfInstalledCopy();
    MainWindow* window = new MainWindow();
    window->show();
    const int exitCode = application->exec();
    return finishProgram(application, window, exitCode);
}
