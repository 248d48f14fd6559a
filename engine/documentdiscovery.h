#pragma once

#include <QFileInfoList>
#include <QString>
#include <QStringList>

// The documents of a run: every file under the source folder, and the test that picks the
// Word documents among them.
class DocumentDiscovery {
public:
    // What a walk found: the files, and the folders it could not read (native paths).
    struct Walk {
        QFileInfoList files;
        QStringList unreadableFolders;
    };

    // Every file under `path`: the folder's own files (sorted by name, ignoring case), then,
    // for each subfolder in the same order, that subfolder's files, depth-first. Hidden files
    // are listed; links to files and system files (FIFOs, devices, sockets) are not; hidden
    // folders are not entered; links to folders are entered, but each real folder (device and
    // file number) is walked once, however many links lead to it. A folder that cannot be
    // read gives no entries and is named in unreadableFolders.
    static Walk walk(const QString& path);
    // The files of walk(path).
    static QFileInfoList collectFiles(const QString& path);

    // True when `nativePath` ends with ".doc", ".docx" or ".docm" (exactly in that case) and
    // contains no "~$" (the mark of Word's owner files) anywhere.
    static bool isCandidate(const QString& nativePath);

    // The native path of a listed entry, as the progress text and the candidate test use it.
    static QString nativePath(const QFileInfo& entry);
};
