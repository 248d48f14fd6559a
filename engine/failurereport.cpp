#include "engine/failurereport.h"

#include "support/fileutil.h"

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>

/* Write the report through stdio in text mode, as the editor expects it on the platform; long
   paths work on Windows too. */
bool FailureReport::write(const QString& path, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::FILE* file = openFile(path.toLocal8Bit().toStdString(), "w+");
    if (file == nullptr) {
        return false;
    }
    const std::size_t written = std::fwrite(bytes.constData(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    return closed && written == static_cast<std::size_t>(bytes.size());
}

/* Open the report in the platform's text viewer. */
bool FailureReport::showInSystemViewer(const QString& path) {
    const QString nativePath = QDir::toNativeSeparators(path);
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), QStringList{nativePath});
#else
    const QString viewer = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !viewer.isEmpty() && QProcess::startDetached(viewer, QStringList{nativePath});
#endif
}
