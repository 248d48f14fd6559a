#pragma once

// DocxStylesCache: parsed style definitions and theme fonts shared by documents made from one
// template. Documents from one template carry byte-identical styles and theme parts, and
// reading the styles part is the largest part of reading a small document; the cache keys a
// parsed DocxStyles by the ZIP directory's CRC-32 and size of both parts.
//
// Thread-safe (one lock around the table); bounded to `capacity` entries, the oldest entry
// leaving first. Entries are never changed after insertion: a reader takes a copy.

#include "office/opc/opcpackage.h"
#include "office/word/docx/docxstyles.h"

#include <QString>

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

class DocxStylesCache {
public:
    // What identifies a pair of parts: their names and directory stamps (absent parts have
    // no stamp).
    struct Key {
        QString stylesPart;
        QString themePart;
        std::optional<OpcPackage::PartStamp> styles;
        std::optional<OpcPackage::PartStamp> theme;
        bool operator==(const Key& other) const;
    };

    explicit DocxStylesCache(std::size_t capacity);

    // The styles stored under `key`, or null when there are none.
    std::shared_ptr<const DocxStyles> find(const Key& key) const;
    // Store `styles` under `key`, dropping the oldest entry when full. A key already present
    // keeps its first styles.
    void insert(const Key& key, std::shared_ptr<const DocxStyles> styles);

    // The process's cache, for the readers of all threads.
    static DocxStylesCache& shared();

private:
    struct Entry {
        Key key;
        std::shared_ptr<const DocxStyles> styles;
    };

    const std::size_t m_capacity;
    mutable std::mutex m_lock;
    std::deque<Entry> m_entries;  // oldest first
};
