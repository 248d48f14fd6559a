#pragma once

// CfbDirectory: the directory of a compound file (MS-CFB 2.6), read from the directory stream
// that CfbSectors gathers. Each storage's children form a red-black tree of sibling links;
// the reader walks every tree once with a stack of its own (no recursion, so a hostile file
// of 100,000 chained siblings cannot exhaust the call stack), visits no entry twice (so a
// link back up a tree ends there instead of looping) and indexes every child under its
// storage and upper-cased name, so looking a name up costs the same in a storage of ten or
// a hundred thousand children.

#include <QByteArray>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CfbDirectory {
public:
    // The most entries a directory may hold (a directory stream of 128 MiB).
    static constexpr std::uint32_t kMaxEntries = 1u << 20;

    struct Entry {
        std::uint32_t startSector = 0;
        std::uint64_t size = 0;
        std::uint8_t type = 0;  // cfb::ObjectType
    };

    // Read the entries of the directory stream `bytes`; `sizeHas32Bits` for 512-byte-sector
    // files, whose stream sizes keep garbage in their upper half in some old writers (MS-CFB
    // 2.6.3). isValid() is false when the first entry is no root entry or there are more
    // than kMaxEntries. Links to entries that do not exist, are unused or were already
    // reached are left out: the entries behind them are not found.
    CfbDirectory(const QByteArray& bytes, bool sizeHas32Bits);

    bool isValid() const { return !m_entries.empty(); }
    const Entry& root() const { return m_entries.front(); }
    // The entry at `path` (storage names from the top, then the entry's own name), compared
    // as MS-CFB compares names: UTF-16, each code unit upper-cased; nullptr when any part is
    // missing or a part before the last is no storage.
    const Entry* find(const std::vector<std::string>& path) const;

private:
    void indexChildren(const QByteArray& bytes);
    void indexTree(const QByteArray& bytes, std::uint32_t storage, std::vector<bool>& visited,
                   std::vector<std::uint32_t>& storages);
    static std::u16string childKey(std::uint32_t storage, const std::u16string& name);

    std::vector<Entry> m_entries;
    std::unordered_map<std::u16string, std::uint32_t> m_children;  // childKey -> entry
};
