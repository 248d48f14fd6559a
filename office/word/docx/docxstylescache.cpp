#include "office/word/docx/docxstylescache.h"

#include <utility>

namespace {

const std::size_t sharedCapacity = 32;  // distinct templates kept parsed at once

}  // namespace

/* Equal names and equal stamps (or both absent). */
bool DocxStylesCache::Key::operator==(const Key& other) const {
    return stylesPart == other.stylesPart && themePart == other.themePart &&
           styles == other.styles && theme == other.theme;
}

/* An empty cache of at most `capacity` entries. */
DocxStylesCache::DocxStylesCache(std::size_t capacity) : m_capacity(capacity) {}

/* Look the key up under the lock. */
std::shared_ptr<const DocxStyles> DocxStylesCache::find(const Key& key) const {
    const std::lock_guard<std::mutex> guard(m_lock);
    for (const Entry& entry : m_entries) {
        if (entry.key == key) {
            return entry.styles;
        }
    }
    return nullptr;
}

/* Append the entry unless the key is present; drop the oldest beyond the capacity. */
void DocxStylesCache::insert(const Key& key, std::shared_ptr<const DocxStyles> styles) {
    const std::lock_guard<std::mutex> guard(m_lock);
    for (const Entry& entry : m_entries) {
        if (entry.key == key) {
            return;
        }
    }
    m_entries.push_back(Entry{key, std::move(styles)});
    while (m_entries.size() > m_capacity) {
        m_entries.pop_front();
    }
}

/* One cache for the whole process. */
DocxStylesCache& DocxStylesCache::shared() {
    static DocxStylesCache cache(sharedCapacity);
    return cache;
}
