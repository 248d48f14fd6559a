#include "office/ole/cfbwriter.h"

#include "office/ole/cfbformat.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

constexpr int kSectorSize = 1 << cfb::kSectorShift512;
constexpr std::uint32_t kEntriesPerSector = kSectorSize / 4;
// A DIFAT sector lists 127 FAT sectors; its last entry links the next DIFAT sector.
constexpr std::uint32_t kFatSectorsPerDifatSector = kEntriesPerSector - 1;

/* Where a sector starts: sector 0 follows the 512-byte header. */
qint64 sectorOffset(std::uint32_t sector) {
    return (static_cast<qint64>(sector) + 1) * kSectorSize;
}

/* Write a little-endian 16-bit number. */
void put16(QByteArray& file, qint64 offset, std::uint16_t value) {
    qToLittleEndian<quint16>(value, file.data() + offset);
}

/* Write a little-endian 32-bit number. */
void put32(QByteArray& file, qint64 offset, std::uint32_t value) {
    qToLittleEndian<quint32>(value, file.data() + offset);
}

/* Mark a whole sector's entries FREESECT (all bits set). */
void fillFree(QByteArray& file, std::uint32_t sector) {
    std::memset(file.data() + sectorOffset(sector), 0xFF, kSectorSize);
}

/* Up to n divided by d, rounded up. */
qint64 divideUp(qint64 n, qint64 d) {
    return (n + d - 1) / d;
}

/* Write one directory entry (MS-CFB 2.6); an unused one has no name and type 0. */
void putEntry(QByteArray& file, qint64 at, const QString& name, std::uint8_t type,
              std::uint32_t child, std::uint32_t start, std::uint64_t size) {
    for (int i = 0; i < name.size(); ++i) {
        put16(file, at + 2 * i, name.at(i).unicode());
    }
    put16(file, at + cfb::kNameLengthOffset,
          name.isEmpty() ? 0 : static_cast<std::uint16_t>((name.size() + 1) * 2));
    file[static_cast<int>(at + cfb::kObjectTypeOffset)] = static_cast<char>(type);
    file[static_cast<int>(at + cfb::kColorOffset)] =
        static_cast<char>(type == cfb::Unallocated ? 0 : cfb::kBlack);
    put32(file, at + cfb::kLeftSiblingOffset, cfb::kNoStream);
    put32(file, at + cfb::kRightSiblingOffset, cfb::kNoStream);
    put32(file, at + cfb::kChildOffset, child);
    put32(file, at + cfb::kStartSectorOffset, start);
    qToLittleEndian<quint64>(size, file.data() + at + cfb::kStreamSizeOffset);
}

}  // namespace

/* Plan the sectors, then write each part into a zeroed file. */
bool CfbWriter::build(const QString& name, const QByteArray& stream, QByteArray& file) {
    if (name.isEmpty() || name.size() > cfb::kNameBytes / 2 - 1) {
        return false;
    }
    CfbWriter writer(stream);
    if (!writer.plan()) {
        return false;
    }
    writer.writeHeader();
    writer.writeFat();
    writer.writeDifat();
    writer.writeDirectory(name);
    writer.writeMiniFat();
    writer.writeData();
    file = writer.m_file;
    return true;
}

/* Keep the stream; plan() sizes the file. */
CfbWriter::CfbWriter(const QByteArray& stream) : m_stream(stream) {}

/* Count the sectors of each part: the FAT and DIFAT grow with the sectors they describe. */
bool CfbWriter::plan() {
    const qint64 size = m_stream.size();
    m_mini = size > 0 && size < cfb::kMiniStreamCutoff;
    if (m_mini) {
        m_miniSectors = static_cast<std::uint32_t>(divideUp(size, cfb::kMiniSectorSize));
        m_miniFatSectors = 1;  // 64 mini sectors at most, 128 entries per sector
        m_dataSectors = static_cast<std::uint32_t>(
            divideUp(static_cast<qint64>(m_miniSectors) * cfb::kMiniSectorSize, kSectorSize));
    } else {
        m_dataSectors = static_cast<std::uint32_t>(divideUp(size, kSectorSize));
    }
    const qint64 fixed = 1 + m_miniFatSectors + m_dataSectors;  // the directory is one sector
    qint64 fat = 1;
    qint64 difat = 0;
    for (;;) {
        const qint64 neededFat = divideUp(fat + difat + fixed, kEntriesPerSector);
        const qint64 neededDifat =
            neededFat > cfb::kHeaderDifatEntries
                ? divideUp(neededFat - cfb::kHeaderDifatEntries, kFatSectorsPerDifatSector)
                : 0;
        if (neededFat == fat && neededDifat == difat) {
            break;
        }
        fat = neededFat;
        difat = neededDifat;
    }
    const qint64 total = fat + difat + fixed;
    if (sectorOffset(static_cast<std::uint32_t>(total)) > std::numeric_limits<int>::max() / 2) {
        return false;
    }
    m_fatSectors = static_cast<std::uint32_t>(fat);
    m_difatSectors = static_cast<std::uint32_t>(difat);
    m_directorySector = m_fatSectors + m_difatSectors;
    m_totalSectors = static_cast<std::uint32_t>(total);
    m_file = QByteArray(static_cast<int>(sectorOffset(m_totalSectors)), '\0');
    return true;
}

/* Header (MS-CFB 2.2), with the first 109 DIFAT entries. */
void CfbWriter::writeHeader() {
    std::memcpy(m_file.data(), cfb::kSignature, 8);
    put16(m_file, cfb::kMinorVersionOffset, cfb::kMinorVersion);
    put16(m_file, cfb::kMajorVersionOffset, cfb::kMajorVersion3);
    put16(m_file, cfb::kByteOrderOffset, cfb::kByteOrderMark);
    put16(m_file, cfb::kSectorShiftOffset, cfb::kSectorShift512);
    put16(m_file, cfb::kMiniSectorShiftOffset, cfb::kMiniSectorShift);
    put32(m_file, cfb::kFatSectorCountOffset, m_fatSectors);
    put32(m_file, cfb::kFirstDirectorySectorOffset, m_directorySector);
    put32(m_file, cfb::kMiniStreamCutoffOffset, cfb::kMiniStreamCutoff);
    put32(m_file, cfb::kFirstMiniFatSectorOffset,
          m_mini ? m_directorySector + 1 : cfb::kEndOfChain);
    put32(m_file, cfb::kMiniFatSectorCountOffset, m_miniFatSectors);
    put32(m_file, cfb::kFirstDifatSectorOffset,
          m_difatSectors > 0 ? m_fatSectors : cfb::kEndOfChain);
    put32(m_file, cfb::kDifatSectorCountOffset, m_difatSectors);
    for (std::uint32_t i = 0; i < std::uint32_t(cfb::kHeaderDifatEntries); ++i) {
        put32(m_file, cfb::kHeaderDifatOffset + 4 * i, i < m_fatSectors ? i : cfb::kFreeSector);
    }
}

/* FAT (MS-CFB 2.3): its own and the DIFAT's sectors marked, one chain per other part. */
void CfbWriter::writeFat() {
    for (std::uint32_t sector = 0; sector < m_fatSectors; ++sector) {
        fillFree(m_file, sector);
    }
    for (std::uint32_t sector = 0; sector < m_fatSectors; ++sector) {
        setFatEntry(sector, cfb::kFatSector);
    }
    for (std::uint32_t k = 0; k < m_difatSectors; ++k) {
        setFatEntry(m_fatSectors + k, cfb::kDifatSector);
    }
    linkChain(m_directorySector, 1);
    linkChain(m_directorySector + 1, m_miniFatSectors);
    linkChain(dataStart(), m_dataSectors);
}

/* DIFAT sectors (MS-CFB 2.5): the FAT sectors after the header's 109, then the next link. */
void CfbWriter::writeDifat() {
    for (std::uint32_t k = 0; k < m_difatSectors; ++k) {
        const std::uint32_t sector = m_fatSectors + k;
        fillFree(m_file, sector);
        const qint64 base = sectorOffset(sector);
        for (std::uint32_t i = 0; i < kFatSectorsPerDifatSector; ++i) {
            const std::uint32_t fatSector =
                cfb::kHeaderDifatEntries + k * kFatSectorsPerDifatSector + i;
            if (fatSector < m_fatSectors) {
                put32(m_file, base + 4 * i, fatSector);
            }
        }
        put32(m_file, base + 4 * kFatSectorsPerDifatSector,
              k + 1 < m_difatSectors ? sector + 1 : cfb::kEndOfChain);
    }
}

/* The directory sector: the root, the stream, two unused entries. */
void CfbWriter::writeDirectory(const QString& name) {
    const qint64 base = sectorOffset(m_directorySector);
    const std::uint64_t size = static_cast<std::uint64_t>(m_stream.size());
    // The root entry holds the mini stream (MS-CFB 2.6.2).
    putEntry(m_file, base, QStringLiteral("Root Entry"), cfb::Root, 1,
             m_mini ? dataStart() : cfb::kEndOfChain,
             m_mini ? std::uint64_t(m_miniSectors) * cfb::kMiniSectorSize : 0);
    const std::uint32_t start = size == 0 ? cfb::kEndOfChain : m_mini ? 0 : dataStart();
    putEntry(m_file, base + cfb::kDirectoryEntrySize, name, cfb::StreamObject, cfb::kNoStream,
             start, size);
    for (int i = 2; i < kSectorSize / cfb::kDirectoryEntrySize; ++i) {
        putEntry(m_file, base + i * cfb::kDirectoryEntrySize, QString(), cfb::Unallocated,
                 cfb::kNoStream, 0, 0);
    }
}

/* Mini FAT (MS-CFB 2.4): one chain through the stream's mini sectors. */
void CfbWriter::writeMiniFat() {
    if (!m_mini) {
        return;
    }
    const std::uint32_t sector = m_directorySector + 1;
    fillFree(m_file, sector);
    const qint64 base = sectorOffset(sector);
    for (std::uint32_t i = 0; i < m_miniSectors; ++i) {
        put32(m_file, base + 4 * i, i + 1 < m_miniSectors ? i + 1 : cfb::kEndOfChain);
    }
}

/* The stream's bytes, in consecutive sectors (as the mini stream too); the rest stays zero. */
void CfbWriter::writeData() {
    if (!m_stream.isEmpty()) {
        std::memcpy(m_file.data() + sectorOffset(dataStart()), m_stream.constData(),
                    static_cast<std::size_t>(m_stream.size()));
    }
}

/* Link `count` consecutive sectors from `first` into one chain. */
void CfbWriter::linkChain(std::uint32_t first, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        setFatEntry(first + i, i + 1 < count ? first + i + 1 : cfb::kEndOfChain);
    }
}

/* The FAT sectors are sectors 0, 1, ... so entry n lies 4n bytes after sector 0's start. */
void CfbWriter::setFatEntry(std::uint32_t sector, std::uint32_t value) {
    put32(m_file, sectorOffset(0) + 4 * static_cast<qint64>(sector), value);
}
