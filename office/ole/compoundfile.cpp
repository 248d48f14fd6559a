#include "office/ole/compoundfile.h"

#include "office/ole/cfbformat.h"
#include "office/ole/cfbwriter.h"

#include <QString>

#include <algorithm>
#include <limits>

namespace {

/* The directory stream: gathered from its chain, refused when damaged or too long. */
QByteArray directoryBytes(const CfbSectors& sectors) {
    QByteArray bytes;
    if (sectors.isOpen()) {
        sectors.readChainToEnd(
            sectors.firstDirectorySector(),
            static_cast<qint64>(CfbDirectory::kMaxEntries) * cfb::kDirectoryEntrySize, bytes);
    }
    return bytes;
}

}  // namespace

/* Read the allocation tables, the directory, then take the mini stream the root holds. */
CompoundFile::CompoundFile(const QByteArray& bytes)
    : m_sectors(bytes.constData(), bytes.size()),
      m_directory(directoryBytes(m_sectors), m_sectors.hasSmallSectors()) {
    if (!m_sectors.isOpen() || !m_directory.isValid()) {
        return;
    }
    const CfbDirectory::Entry& root = m_directory.root();
    m_open = m_sectors.setMiniStream(root.startSector, root.size);
}

/* The stream entry at `path`; nullptr for a storage or a missing name. */
const CfbDirectory::Entry* CompoundFile::findStream(const std::vector<std::string>& path) const {
    if (!m_open || path.empty()) {
        return nullptr;
    }
    const CfbDirectory::Entry* entry = m_directory.find(path);
    return entry != nullptr && entry->type == cfb::StreamObject ? entry : nullptr;
}

/* Look the stream up without reading it. */
bool CompoundFile::hasStream(const char* name) const {
    return findStream({name}) != nullptr;
}

/* A top-level stream is a path of one name. */
CompoundFile::Stream CompoundFile::readStream(const char* name, qint64 maxBytes,
                                              QByteArray& out) const {
    return readStream(std::vector<std::string>{name}, maxBytes, out);
}

/* Find the stream, check its stated size, then read its chain. */
CompoundFile::Stream CompoundFile::readStream(const std::vector<std::string>& path, qint64 maxBytes,
                                              QByteArray& out) const {
    out.clear();
    const CfbDirectory::Entry* entry = findStream(path);
    if (entry == nullptr) {
        return Stream::Absent;
    }
    // A QByteArray holds less than 2 GiB whatever the caller allows.
    const std::uint64_t limit =
        std::min<std::uint64_t>(std::max<qint64>(maxBytes, 0), std::numeric_limits<int>::max() / 2);
    if (entry->size > limit) {
        return Stream::TooLarge;
    }
    return m_sectors.readStream(entry->startSector, entry->size, out) ? Stream::Ok
                                                                      : Stream::Unreadable;
}

/* Write the stream into a compound file of our own making. */
bool CompoundFile::build(const char* name, const QByteArray& stream, QByteArray& file) {
    return CfbWriter::build(QString::fromUtf8(name), stream, file);
}
