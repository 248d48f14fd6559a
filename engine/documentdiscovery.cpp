#include "engine/documentdiscovery.h"

#include <QDir>
#include <QFile>
#include <QSet>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

/* What makes a folder itself: device and file number where there are any, else its path. */
QString folderIdentity(const QDir& dir) {
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(dir.path()).constData(), &status) == 0) {
        return QString::number(status.st_dev) + QLatin1Char(':') + QString::number(status.st_ino);
    }
    return QString();
#else
    return dir.canonicalPath();
#endif
}

/* Walk one folder unless it was walked already; `seen` holds every folder walked so far. */
void collectInto(const QString& path, QSet<QString>& seen, DocumentDiscovery::Walk& out) {
    const QDir dir(path);
    const QString identity = folderIdentity(dir);
    if (identity.isEmpty() || seen.contains(identity)) {
        return;
    }
    seen.insert(identity);
    if (!dir.isReadable()) {
        out.unreadableFolders.append(QDir::toNativeSeparators(dir.path()));
        return;
    }
    out.files += dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::NoSort);
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& folder : folders) {
        collectInto(folder.absoluteFilePath(), seen, out);
    }
}

}  // namespace

/* List every file under a folder, depth-first in name order, each real folder once. */
DocumentDiscovery::Walk DocumentDiscovery::walk(const QString& path) {
    Walk found;
    if (path.isEmpty()) {
        return found;  // QDir would read an empty path as the working folder
    }
    QSet<QString> seen;
    collectInto(path, seen, found);
    return found;
}

/* The files of a walk. */
QFileInfoList DocumentDiscovery::collectFiles(const QString& path) {
    return walk(path).files;
}

/* Test the ending and the owner-file mark, both case-sensitive. */
bool DocumentDiscovery::isCandidate(const QString& nativePath) {
    const bool wordEnding = nativePath.endsWith(QLatin1String(".doc")) ||
                            nativePath.endsWith(QLatin1String(".docx")) ||
                            nativePath.endsWith(QLatin1String(".docm"));
    return wordEnding && !nativePath.contains(QLatin1String("~$"));
}

/* The entry's path with the platform's separators. */
QString DocumentDiscovery::nativePath(const QFileInfo& entry) {
    return QDir::toNativeSeparators(entry.filePath());
}
