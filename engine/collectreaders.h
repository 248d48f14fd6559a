#pragma once

#include "engine/documentfeed.h"
#include "engine/fieldlayout.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CollectMode;
struct ConvertOptions;

// One document taken from the feed: its values, or why it could not be read.
struct CollectedDocument {
    DocumentFeed::Document document;
    bool read = false;  // false: it could not be opened, for `reason`
    QString reason;
    CollectedValues values;
};

// Collect mode's readers for --jobs N: N threads, each with a Word application of its own,
// take documents from one feed, read them and find their values; the job takes the results
// back one by one in discovery order and writes them into the one workbook. A reader that gets
// too far ahead of the next result the job waits for pauses, so memory holds at most a few
// dozen documents' values whatever the size of the batch.
class CollectReaders {
public:
    // Start `jobs` readers over `feed`; `layout` and `options` must outlive this object.
    CollectReaders(int jobs, DocumentFeed& feed, const FieldLayout& layout,
                   const ConvertOptions& options);
    // Waits for the readers to end.
    ~CollectReaders();
    CollectReaders(const CollectReaders&) = delete;
    CollectReaders& operator=(const CollectReaders&) = delete;

    // The next result in discovery order; none when every document was given.
    std::optional<CollectedDocument> next();

    // Read one document with `reader` and find its values by `layout`: what each reader does
    // with every document it takes, and what the job does itself when it reads alone.
    static CollectedDocument readOne(CollectMode& reader, const FieldLayout& layout,
                                     DocumentFeed::Document document);

private:
    void readAll();
    void hand(CollectedDocument result);

    // How far a reader may get ahead of the result the job waits for.
    static constexpr int kAhead = 32;

    DocumentFeed& m_feed;
    const FieldLayout& m_layout;
    const ConvertOptions& m_options;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<int, CollectedDocument> m_done;  // results waiting for the job, by index
    int m_next = 0;                           // the index the job takes next
    int m_running = 0;                        // readers still reading
    std::vector<std::thread> m_threads;
};
