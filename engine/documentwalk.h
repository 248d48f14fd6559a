#pragma once

// DocumentWalk: the files under a source folder one at a time, in the order of the whole
// listing: a folder's own files sorted by name without regard to case, then each of its
// subfolders in the same order, depth-first. Only the listings of the folders on the way down
// to the current one are held, so a walk over a million documents needs no more memory than
// one over a thousand (the set of folders already walked grows with the folders, a few dozen
// bytes each).
//
// Listed: regular files, hidden ones included; not listed: links to files and system files
// (FIFOs, devices, sockets), which are never opened. Hidden folders are not entered; links to
// folders are, but each real folder (device and file number) is walked once however many links
// lead to it. A folder that cannot be read gives no files and is named in unreadableFolders().
//
// A file whose name the system's encoding cannot turn into text and back, or whose path is
// longer than the system opens, is still listed (so that the job can report it) with a
// `problem` saying why it cannot be opened, and a path in which undecodable bytes read \xHH.

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class DocumentWalk {
public:
    struct Entry {
        QString nativePath;
        QString problem;  // empty when the file can be opened by nativePath
    };

    // A walk of `root` (a missing or empty path gives nothing).
    explicit DocumentWalk(const QString& root);
    ~DocumentWalk();
    DocumentWalk(const DocumentWalk&) = delete;
    DocumentWalk& operator=(const DocumentWalk&) = delete;

    // The next file in walk order into `entry`; false when the walk is over.
    bool next(Entry& entry);

    // The folders met so far that could not be read, native paths in walk order.
    const QStringList& unreadableFolders() const { return m_unreadable; }

    // One name in a folder listing.
    struct Name {
        QString text;     // as shown: undecodable bytes written \xHH
        QString problem;  // why a file of this name cannot be opened; empty when it can
    };
    // A folder's regular files and enterable subfolders, each sorted by name ignoring case.
    struct Listing {
        std::vector<Name> files;
        std::vector<Name> folders;
    };

private:
    struct Folder;
    class SeenFolders;

    void enter(const QString& path);

    std::vector<Folder> m_stack;
    std::unique_ptr<SeenFolders> m_seen;
    QStringList m_unreadable;
};
