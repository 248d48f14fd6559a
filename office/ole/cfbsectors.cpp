#include "office/ole/cfbsectors.h"

#include "office/ole/cfbformat.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// followChain's count for a chain read up to its ENDOFCHAIN mark.
constexpr std::size_t kWholeChain = std::numeric_limits<std::size_t>::max();

}  // namespace

/* Read the header, the FAT and the mini FAT; the file is open only when all three are sound. */
CfbSectors::CfbSectors(const char* data, qint64 size) : m_data(data), m_size(size) {
    m_open = readHeader() && readFat() && readMiniFat();
}

/* Check the header's fixed fields and count the sectors after it. */
bool CfbSectors::readHeader() {
    // Header (MS-CFB 2.2)
    if (m_size < cfb::kHeaderSize || std::memcmp(m_data, cfb::kSignature, 8) != 0) {
        return false;
    }
    const auto u16 = [this](int offset) { return qFromLittleEndian<quint16>(m_data + offset); };
    m_sectorShift = u16(cfb::kSectorShiftOffset);
    if (u16(cfb::kByteOrderOffset) != cfb::kByteOrderMark ||
        (m_sectorShift != cfb::kSectorShift512 && m_sectorShift != cfb::kSectorShift4096) ||
        u16(cfb::kMiniSectorShiftOffset) != cfb::kMiniSectorShift ||
        readU32(cfb::kMiniStreamCutoffOffset) != cfb::kMiniStreamCutoff) {
        return false;
    }
    // Sector 0 follows the header, which fills a whole sector (MS-CFB 2.2); a last sector cut
    // short still counts, its missing bytes read as zeros.
    const qint64 afterHeader = m_size - (static_cast<qint64>(1) << m_sectorShift);
    if (afterHeader <= 0) {
        return false;
    }
    const qint64 sectors =
        (afterHeader + (static_cast<qint64>(1) << m_sectorShift) - 1) >> m_sectorShift;
    m_sectorCount = static_cast<std::uint32_t>(std::min<qint64>(sectors, cfb::kMaxRegularSector));
    m_firstDirectorySector = readU32(cfb::kFirstDirectorySectorOffset);
    return true;
}

/* The FAT's sectors: the first 109 in the header, the rest in the DIFAT chain (MS-CFB 2.5). */
bool CfbSectors::readFatSectorList(std::vector<std::uint32_t>& fatSectors) const {
    const std::uint32_t wanted = std::min(readU32(cfb::kFatSectorCountOffset), m_sectorCount);
    for (int i = 0; i < cfb::kHeaderDifatEntries && fatSectors.size() < wanted; ++i) {
        const std::uint32_t sector = readU32(cfb::kHeaderDifatOffset + 4 * i);
        if (sector > cfb::kMaxRegularSector) {
            return true;  // the list ends early; sectors past the FAT's end are unreachable
        }
        if (!addFatSector(sector, fatSectors)) {
            return false;
        }
    }
    const int perSector = (1 << m_sectorShift) / 4 - 1;  // the last entry links the next
    std::vector<bool> visited(m_sectorCount);
    std::uint32_t next = readU32(cfb::kFirstDifatSectorOffset);
    while (fatSectors.size() < wanted && next <= cfb::kMaxRegularSector) {
        if (next >= m_sectorCount || visited[next]) {
            return false;  // outside the file, or a cycle
        }
        visited[next] = true;
        const qint64 base = sectorOffset(next);
        for (int i = 0; i < perSector && fatSectors.size() < wanted; ++i) {
            const std::uint32_t sector = readU32(base + 4 * i);
            if (sector > cfb::kMaxRegularSector) {
                return true;
            }
            if (!addFatSector(sector, fatSectors)) {
                return false;
            }
        }
        next = readU32(base + 4 * perSector);
    }
    return true;
}

/* List one FAT sector; false when it lies outside the file. */
bool CfbSectors::addFatSector(std::uint32_t sector, std::vector<std::uint32_t>& fatSectors) const {
    if (sector >= m_sectorCount) {
        return false;
    }
    fatSectors.push_back(sector);
    return true;
}

/* Read the FAT (MS-CFB 2.3): one next-sector number per sector of the file. */
bool CfbSectors::readFat() {
    std::vector<std::uint32_t> fatSectors;
    if (!readFatSectorList(fatSectors) || fatSectors.empty()) {
        return false;
    }
    const int perSector = (1 << m_sectorShift) / 4;
    // Entries for sectors the file does not have would only name sectors outside it.
    m_fat.reserve(std::min<std::size_t>(fatSectors.size() * perSector, m_sectorCount));
    for (const std::uint32_t sector : fatSectors) {
        const qint64 base = sectorOffset(sector);
        for (int i = 0; i < perSector && m_fat.size() < m_sectorCount; ++i) {
            m_fat.push_back(readU32(base + 4 * i));
        }
    }
    return true;
}

/* Read the mini FAT (MS-CFB 2.4), a chain of regular sectors; a file may have none. */
bool CfbSectors::readMiniFat() {
    const std::uint32_t first = readU32(cfb::kFirstMiniFatSectorOffset);
    if (readU32(cfb::kMiniFatSectorCountOffset) == 0 || first > cfb::kMaxRegularSector) {
        return true;
    }
    std::vector<std::uint32_t> chain;
    if (!followChain(m_fat, first, kWholeChain, chain)) {
        return false;
    }
    const int perSector = (1 << m_sectorShift) / 4;
    m_miniFat.reserve(chain.size() * perSector);
    for (const std::uint32_t sector : chain) {
        const qint64 base = sectorOffset(sector);
        for (int i = 0; i < perSector; ++i) {
            m_miniFat.push_back(readU32(base + 4 * i));
        }
    }
    return true;
}

/* Follow the root entry's chain; mini sectors past the mini stream's size are unreachable. */
bool CfbSectors::setMiniStream(std::uint32_t start, std::uint64_t size) {
    const std::uint64_t sectors = (size + (1u << m_sectorShift) - 1) >> m_sectorShift;
    if (sectors > m_fat.size() || !followChain(m_fat, start, sectors, m_miniStreamChain)) {
        m_miniFat.clear();
        return false;
    }
    m_miniStreamSet = true;
    const std::uint64_t miniSectors = (size + cfb::kMiniSectorSize - 1) >> cfb::kMiniSectorShift;
    if (m_miniFat.size() > miniSectors) {
        m_miniFat.resize(miniSectors);
    }
    return true;
}

/* Follow the whole chain, then copy its sectors in order. */
bool CfbSectors::readChainToEnd(std::uint32_t start, qint64 maxBytes, QByteArray& out) const {
    out.clear();
    std::vector<std::uint32_t> chain;
    if (!followChain(m_fat, start, kWholeChain, chain) ||
        (static_cast<qint64>(chain.size()) << m_sectorShift) > maxBytes) {
        return false;
    }
    const int sectorSize = 1 << m_sectorShift;
    out.resize(static_cast<int>(chain.size()) * sectorSize);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        copyBytes(sectorOffset(chain[i]), sectorSize, out.data() + i * sectorSize);
    }
    return true;
}

/* Follow as many links as the size needs, in the mini stream or the file, and copy them. */
bool CfbSectors::readStream(std::uint32_t start, std::uint64_t size, QByteArray& out) const {
    out.clear();
    const bool mini = size < cfb::kMiniStreamCutoff;
    if (mini && !m_miniStreamSet && size > 0) {
        return false;
    }
    const int shift = mini ? cfb::kMiniSectorShift : m_sectorShift;
    const qint64 unit = static_cast<qint64>(1) << shift;
    const std::uint64_t count = (size + unit - 1) >> shift;
    std::vector<std::uint32_t> chain;
    if (!followChain(mini ? m_miniFat : m_fat, start, count, chain)) {
        return false;
    }
    out.resize(static_cast<int>(size));
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const qint64 done = static_cast<qint64>(i) * unit;
        const qint64 offset = mini ? miniSectorOffset(chain[i]) : sectorOffset(chain[i]);
        copyBytes(offset,
                  static_cast<int>(std::min<qint64>(unit, static_cast<qint64>(size) - done)),
                  out.data() + done);
    }
    return true;
}

/* Follow `count` links of `table` from `start` (or up to ENDOFCHAIN for kWholeChain). */
bool CfbSectors::followChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                             std::size_t count, std::vector<std::uint32_t>& chain) {
    chain.clear();
    const bool toEnd = count == kWholeChain;
    if (!toEnd && count > table.size()) {
        return false;  // longer than the file (or mini stream) has sectors
    }
    std::uint32_t sector = start;
    while (toEnd ? sector != cfb::kEndOfChain : chain.size() < count) {
        // A sector outside the table, or a chain as long as the table and still going (a cycle).
        if (sector >= table.size() || chain.size() >= table.size()) {
            return false;
        }
        chain.push_back(sector);
        sector = table[sector];
    }
    // A cycle inside the needed length would repeat data: no sector may come twice.
    std::vector<std::uint32_t> sorted = chain;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

/* A little-endian 32-bit number of the file; FREESECT past its end. */
std::uint32_t CfbSectors::readU32(qint64 offset) const {
    if (offset < 0 || offset > m_size - 4) {
        return cfb::kFreeSector;
    }
    return qFromLittleEndian<quint32>(m_data + offset);
}

/* Where a regular sector starts: sector 0 follows the header sector. */
qint64 CfbSectors::sectorOffset(std::uint32_t sector) const {
    return (static_cast<qint64>(sector) + 1) << m_sectorShift;
}

/* Where a mini sector starts: its place in the mini stream, found in the root's chain. */
qint64 CfbSectors::miniSectorOffset(std::uint32_t miniSector) const {
    const qint64 position = static_cast<qint64>(miniSector) << cfb::kMiniSectorShift;
    const qint64 inSector = position & ((static_cast<qint64>(1) << m_sectorShift) - 1);
    return sectorOffset(m_miniStreamChain[position >> m_sectorShift]) + inSector;
}

/* Copy file bytes; those past the end of a file cut short read as zeros. */
void CfbSectors::copyBytes(qint64 offset, int length, char* to) const {
    const int available = static_cast<int>(std::clamp<qint64>(m_size - offset, 0, length));
    if (available > 0) {
        std::memcpy(to, m_data + offset, available);
    }
    std::memset(to + available, 0, length - available);
}
