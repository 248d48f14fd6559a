#include "office/opc/zippackage.h"

#include <quazip.h>
#include <unzip.h>

#include <QTextCodec>

#include <algorithm>
#include <vector>

namespace {

/* The current entry's details and name; the name buffer grows when a name is longer. */
bool currentEntry(unzFile unz, unz_file_info64& info, std::vector<char>& name) {
    if (unzGetCurrentFileInfo64(unz, &info, name.data(), static_cast<uLong>(name.size()), nullptr,
                                0, nullptr, 0) != UNZ_OK) {
        return false;
    }
    if (info.size_filename <= name.size()) {
        return true;
    }
    name.resize(info.size_filename);
    return unzGetCurrentFileInfo64(unz, &info, name.data(), static_cast<uLong>(name.size()),
                                   nullptr, 0, nullptr, 0) == UNZ_OK;
}

}  // namespace

/* A package not yet opened. */
ZipPackage::ZipPackage(const PackageLimits& limits) : m_limits(limits) {}

/* Closing the archive with the QuaZip object. */
ZipPackage::~ZipPackage() = default;

/* Open the archive and index its entries by lower-case name; a repeated name fails. The
   directory is read with minizip itself: QuaZip's file list also turns every entry's DOS time
   into a local QDateTime, which asks the C library for the time zone once per entry. */
bool ZipPackage::open(QIODevice* device) {
    m_zip = std::make_unique<QuaZip>(device);
    if (!m_zip->open(QuaZip::mdUnzip)) {
        return false;
    }
    unzFile unz = m_zip->getUnzFile();
    std::vector<char> name(256);
    int status = unzGoToFirstFile(unz);
    for (; status == UNZ_OK; status = unzGoToNextFile(unz)) {
        unz_file_info64 info;
        unz64_file_pos position;
        if (!currentEntry(unz, info, name) || unzGetFilePos64(unz, &position) != UNZ_OK) {
            return false;
        }
        const int length = static_cast<int>(std::min<uLong>(info.size_filename, name.size()));
        const QString entryName = (info.flag & UNZ_ENCODING_UTF8)
                                      ? QString::fromUtf8(name.data(), length)
                                      : m_zip->getFileNameCodec()->toUnicode(name.data(), length);
        // Two entries of one name (part names ignore case): readers disagree on which one
        // counts, so the package has no single meaning.
        const QString key = entryName.toLower();
        if (m_entries.contains(key)) {
            m_entries.clear();
            return false;
        }
        m_entries.insert(
            key, Entry{static_cast<qint64>(info.compressed_size),
                       static_cast<qint64>(info.uncompressed_size), static_cast<quint32>(info.crc),
                       position.pos_in_zip_directory, position.num_of_file});
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        m_entries.clear();
        return false;
    }
    return true;
}

/* The directory's CRC-32 and size of a part. */
std::optional<OpcPackage::PartStamp> ZipPackage::partStamp(const QString& name) const {
    const auto it = m_entries.constFind(name.toLower());
    if (it == m_entries.constEnd()) {
        return std::nullopt;
    }
    return PartStamp{it->crc, it->uncompressedSize};
}

/* Inflate one part in chunks, stopping as soon as it passes a limit. */
OpcPackage::Status ZipPackage::readPart(const QString& name, QByteArray& out) {
    out.clear();
    const auto it = m_entries.constFind(name.toLower());
    if (!m_zip || it == m_entries.constEnd()) {
        return Status::Missing;
    }
    unzFile unz = m_zip->getUnzFile();
    const unz64_file_pos position{it->directoryOffset, it->index};
    if (unzGoToFilePos64(unz, &position) != UNZ_OK || unzOpenCurrentFile(unz) != UNZ_OK) {
        return Status::Damaged;
    }
    const Status status = inflateCurrent(*it, out);
    // Closing checks the CRC-32 of what was inflated, when all of it was.
    const int closed = unzCloseCurrentFile(unz);
    if (status == Status::Ok && closed != UNZ_OK) {
        out.clear();
        return Status::Damaged;
    }
    return status;
}

/* Inflate the open entry in chunks, stopping as soon as it passes a limit. */
OpcPackage::Status ZipPackage::inflateCurrent(const Entry& entry, QByteArray& out) {
    const qint64 compressed = std::max<qint64>(1, entry.compressedSize);
    // The stated size is only a hint (a damaged archive may lie), so it is bounded.
    out.reserve(static_cast<int>(qBound<qint64>(
        0, entry.uncompressedSize, std::min<qint64>(m_limits.maxPartBytes, 64 << 20))));
    char buffer[1 << 16];
    for (;;) {
        const int got = unzReadCurrentFile(m_zip->getUnzFile(), buffer, sizeof buffer);
        if (got < 0) {
            out.clear();
            return Status::Damaged;
        }
        if (got == 0) {
            return Status::Ok;
        }
        if (out.size() + got > m_limits.maxPartBytes) {
            out.clear();
            return Status::TooLarge;
        }
        out.append(buffer, got);
        // An archive bomb expands far beyond what deflate gives ordinary XML.
        if (out.size() > m_limits.ratioCheckBytes &&
            out.size() / compressed > m_limits.maxExpansionRatio) {
            out.clear();
            return Status::TooLarge;
        }
    }
}
