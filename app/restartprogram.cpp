#include "app/restartprogram.h"

#ifndef _WIN32

#include <QProcess>
#include <QString>
#include <QStringList>

/* Start the program detached from this process. */
bool startProgramAgain(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return QProcess::startDetached(
        QString::fromLocal8Bit(path.data(), static_cast<int>(path.size())), QStringList());
}

#endif
