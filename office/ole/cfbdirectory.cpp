#include "office/ole/cfbdirectory.h"

#include "office/ole/cfbformat.h"

#include <QChar>
#include <QString>
#include <QtEndian>

#include <algorithm>

namespace {

/* A UTF-16 code unit upper-cased by the simple (one unit to one unit) Unicode mapping. */
char16_t upperUnit(char16_t unit) {
    return static_cast<char16_t>(QChar::toUpper(static_cast<uint>(unit)));
}

/* The upper-cased name of a directory entry (MS-CFB 2.6.1: Directory Entry Name). */
std::u16string upperEntryName(const char* entry) {
    // The length counts bytes and the terminating zero; a damaged one is kept inside the field.
    const int lengthBytes = qFromLittleEndian<quint16>(entry + cfb::kNameLengthOffset);
    const int units = std::clamp(lengthBytes / 2 - 1, 0, cfb::kNameBytes / 2 - 1);
    std::u16string name;
    for (int i = 0; i < units; ++i) {
        const char16_t unit = qFromLittleEndian<quint16>(entry + 2 * i);
        if (unit == 0) {
            break;
        }
        name.push_back(upperUnit(unit));
    }
    return name;
}

/* The upper-cased UTF-16 form of a name the caller gives in UTF-8. */
std::u16string upperName(const std::string& name) {
    const QString text = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    std::u16string upper;
    upper.reserve(text.size());
    for (const QChar unit : text) {
        upper.push_back(upperUnit(unit.unicode()));
    }
    return upper;
}

/* A 32-bit link of a directory entry. */
std::uint32_t linkAt(const char* entry, int offset) {
    return qFromLittleEndian<quint32>(entry + offset);
}

}  // namespace

/* Read every entry, then index the trees from the root down. */
CfbDirectory::CfbDirectory(const QByteArray& bytes, bool sizeHas32Bits) {
    const std::size_t count = static_cast<std::size_t>(bytes.size()) / cfb::kDirectoryEntrySize;
    if (count == 0 || count > kMaxEntries ||
        static_cast<std::uint8_t>(bytes[cfb::kObjectTypeOffset]) != cfb::Root) {
        return;
    }
    m_entries.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Compound File Directory Entry (MS-CFB 2.6)
        const char* raw = bytes.constData() + i * cfb::kDirectoryEntrySize;
        Entry& entry = m_entries[i];
        entry.type = static_cast<std::uint8_t>(raw[cfb::kObjectTypeOffset]);
        entry.startSector = linkAt(raw, cfb::kStartSectorOffset);
        entry.size = qFromLittleEndian<quint64>(raw + cfb::kStreamSizeOffset);
        if (sizeHas32Bits) {
            entry.size &= 0xFFFFFFFFu;
        }
    }
    indexChildren(bytes);
}

/* Index every storage once, the root first, keeping the storages still to do on a list. */
void CfbDirectory::indexChildren(const QByteArray& bytes) {
    std::vector<bool> visited(m_entries.size());
    visited[0] = true;
    m_children.reserve(m_entries.size());
    std::vector<std::uint32_t> storages{0};
    while (!storages.empty()) {
        const std::uint32_t storage = storages.back();
        storages.pop_back();
        indexTree(bytes, storage, visited, storages);
    }
}

/* Index the children of one storage: its child's tree of left and right siblings. */
void CfbDirectory::indexTree(const QByteArray& bytes, std::uint32_t storage,
                             std::vector<bool>& visited, std::vector<std::uint32_t>& storages) {
    const char* storageEntry = bytes.constData() + storage * cfb::kDirectoryEntrySize;
    std::vector<std::uint32_t> pending{linkAt(storageEntry, cfb::kChildOffset)};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        // NOSTREAM, a link outside the directory, or one back to an entry already reached.
        if (id >= m_entries.size() || visited[id]) {
            continue;
        }
        const std::uint8_t type = m_entries[id].type;
        if (type != cfb::Storage && type != cfb::StreamObject) {
            continue;  // an unused entry (or a second root) in a tree: its links mean nothing
        }
        visited[id] = true;
        const char* entry = bytes.constData() + std::size_t(id) * cfb::kDirectoryEntrySize;
        // The first of two children with one name is the one found.
        m_children.emplace(childKey(storage, upperEntryName(entry)), id);
        pending.push_back(linkAt(entry, cfb::kLeftSiblingOffset));
        pending.push_back(linkAt(entry, cfb::kRightSiblingOffset));
        if (type == cfb::Storage) {
            storages.push_back(id);
        }
    }
}

/* The storage's number in two code units, then the upper-cased name. */
std::u16string CfbDirectory::childKey(std::uint32_t storage, const std::u16string& name) {
    std::u16string key;
    key.reserve(name.size() + 2);
    key.push_back(static_cast<char16_t>(storage & 0xFFFF));
    key.push_back(static_cast<char16_t>(storage >> 16));
    key += name;
    return key;
}

/* Look each part up under the storage found so far. */
const CfbDirectory::Entry* CfbDirectory::find(const std::vector<std::string>& path) const {
    if (!isValid()) {
        return nullptr;
    }
    std::uint32_t current = 0;
    for (const std::string& name : path) {
        const std::uint8_t type = m_entries[current].type;
        if (type != cfb::Root && type != cfb::Storage) {
            return nullptr;
        }
        const auto child = m_children.find(childKey(current, upperName(name)));
        if (child == m_children.end()) {
            return nullptr;
        }
        current = child->second;
    }
    return &m_entries[current];
}
