#include "engine/documentdiscovery.h"

#include <QDir>
#include <QSet>

namespace {

/* Walk one folder; `walking` holds the canonical folders on the way down, to stop loops. */
void collectInto(const QString& path, QSet<QString>& walking, QFileInfoList& out) {
    const QDir dir(path);
    const QString canonical = dir.canonicalPath();
    if (canonical.isEmpty() || walking.contains(canonical)) {
        return;
    }
    walking.insert(canonical);
    out += dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::NoSort);
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& folder : folders) {
        collectInto(folder.absoluteFilePath(), walking, out);
    }
    walking.remove(canonical);
}

}  // namespace

/* List every file under a folder, depth-first in name order. */
QFileInfoList DocumentDiscovery::collectFiles(const QString& path) {
    QFileInfoList files;
    if (path.isEmpty()) {
        return files;  // QDir would read an empty path as the working folder
    }
    QSet<QString> walking;
    collectInto(path, walking, files);
    return files;
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
