#include "engine/collectreaders.h"

#include "automation/axhandle.h"
#include "engine/collectmode.h"

#include <climits>
#include <memory>

/* Start the readers. */
CollectReaders::CollectReaders(int jobs, DocumentFeed& feed, const FieldLayout& layout,
                               const ConvertOptions& options)
    : m_feed(feed), m_layout(layout), m_options(options), m_running(jobs) {
    for (int j = 0; j < jobs; ++j) {
        m_threads.emplace_back([this] { readAll(); });
    }
}

/* Every reader has ended once the feed is empty. */
CollectReaders::~CollectReaders() {
    {
        // A job that stops taking lets the readers run on to the end of the feed.
        const std::lock_guard<std::mutex> guard(m_lock);
        m_next = INT_MAX / 2;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

/* One reader: its own Word application, documents from the feed until none is left. */
void CollectReaders::readAll() {
    {
        AxHandle word = std::make_unique<AxObject>();
        word->setControl(QStringLiteral("Word.Application"));
        const AxHandle documents = subObject(word.get(), "Documents");
        CollectMode reader(word.get(), documents.get(), m_options);
        DocumentFeed::Document document;
        while (m_feed.take(document)) {
            hand(readOne(reader, m_layout, std::move(document)));
        }
        word->dynamicCall("Quit(void)");
    }
    const std::lock_guard<std::mutex> guard(m_lock);
    --m_running;
    m_changed.notify_all();
}

/* Keep a result for the job, once it is close enough to the one the job waits for. */
void CollectReaders::hand(CollectedDocument result) {
    std::unique_lock<std::mutex> lock(m_lock);
    const int index = result.document.index;
    m_changed.wait(lock, [&] { return index - m_next < kAhead; });
    m_done.emplace(index, std::move(result));
    m_changed.notify_all();
}

/* The next result in order, waiting for it while readers still read. */
std::optional<CollectedDocument> CollectReaders::next() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&] { return m_done.count(m_next) > 0 || m_running == 0; });
    const auto found = m_done.find(m_next);
    if (found == m_done.end()) {
        return std::nullopt;
    }
    CollectedDocument result = std::move(found->second);
    m_done.erase(found);
    ++m_next;
    m_changed.notify_all();
    return result;
}

/* Open the document unless the feed already knows it cannot be read, then find its values. */
CollectedDocument CollectReaders::readOne(CollectMode& reader, const FieldLayout& layout,
                                          DocumentFeed::Document document) {
    CollectedDocument result;
    result.document = std::move(document);
    result.reason = result.document.problem;
    FormSnapshot snapshot;
    result.read = result.document.problem.isEmpty() &&
                  reader.read(result.document.nativePath, snapshot, result.reason);
    result.values = result.read ? layout.collect(snapshot) : CollectedValues();
    return result;
}
