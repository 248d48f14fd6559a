#include "engine/documentdiscovery.h"

#include "engine/documentwalk.h"

#include <QDir>

/* List every file under a folder, depth-first in name order, each real folder once. */
DocumentDiscovery::Walk DocumentDiscovery::walk(const QString& path) {
    Walk found;
    DocumentWalk walk(path);
    DocumentWalk::Entry entry;
    while (walk.next(entry)) {
        found.files.append(QFileInfo(QDir::fromNativeSeparators(entry.nativePath)));
    }
    found.unreadableFolders = walk.unreadableFolders();
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
