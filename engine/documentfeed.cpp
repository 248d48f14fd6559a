#include "engine/documentfeed.h"

#include <utility>

/* A feed over the walk of the source folder. */
DocumentFeed::DocumentFeed(const QString& sourcePath, Acceptance accepts)
    : m_walk(sourcePath), m_accepts(std::move(accepts)) {}

/* Walk on to the next file the run accepts. */
bool DocumentFeed::take(Document& document) {
    const std::lock_guard<std::mutex> guard(m_lock);
    DocumentWalk::Entry entry;
    while (m_walk.next(entry)) {
        if (m_accepts(entry.nativePath)) {
            document.index = m_next++;
            document.nativePath = std::move(entry.nativePath);
            document.problem = std::move(entry.problem);
            return true;
        }
    }
    return false;
}

/* The walk's unreadable folders so far. */
QStringList DocumentFeed::unreadableFolders() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_walk.unreadableFolders();
}

/* Take every document of a fresh feed, keeping only the count. */
DocumentFeed::Count DocumentFeed::count(const QString& sourcePath, const Acceptance& accepts) {
    DocumentFeed feed(sourcePath, accepts);
    Document document;
    Count count;
    while (feed.take(document)) {
        ++count.documents;
    }
    count.unreadableFolders = feed.unreadableFolders();
    return count;
}
