#pragma once

// DocumentFeed: the documents of a run one at a time, in discovery order: the files of a
// DocumentWalk over the source folder that the run accepts (Word documents of its shard),
// each numbered from 0. Taking is locked, so the workers of a parallel run share one feed.

#include "engine/documentwalk.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

class DocumentFeed {
public:
    struct Document {
        int index = 0;       // position in discovery order, from 0
        QString nativePath;  // as the progress text and the report show it
        QString problem;     // why it cannot be opened by that path; empty when it can
    };
    // Decides from a native path whether the run converts the file.
    using Acceptance = std::function<bool(const QString& nativePath)>;

    DocumentFeed(const QString& sourcePath, Acceptance accepts);

    // The next accepted document; false when none is left.
    bool take(Document& document);

    // Folders the walk could not read so far (native paths).
    QStringList unreadableFolders() const;

    // What a walk over a folder finds without keeping the documents.
    struct Count {
        int documents = 0;
        QStringList unreadableFolders;  // native paths
    };

    // The number of documents a feed over the same folder would give now, and the folders it
    // could not read; a walk that only counts, holding no more than a feed does.
    static Count count(const QString& sourcePath, const Acceptance& accepts);

private:
    mutable std::mutex m_lock;
    DocumentWalk m_walk;
    Acceptance m_accepts;
    int m_next = 0;
};
