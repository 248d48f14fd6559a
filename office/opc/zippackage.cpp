#include "office/opc/zippackage.h"

#include <quazip.h>
#include <quazipfile.h>

/* A package not yet opened. */
ZipPackage::ZipPackage(const PackageLimits& limits) : m_limits(limits) {}

/* Closing the archive with the QuaZip object. */
ZipPackage::~ZipPackage() = default;

/* Open the archive and index its entries by lower-case name; a repeated name fails. */
bool ZipPackage::open(QIODevice* device) {
    m_zip = std::make_unique<QuaZip>(device);
    if (!m_zip->open(QuaZip::mdUnzip)) {
        return false;
    }
    const QList<QuaZipFileInfo64> infos = m_zip->getFileInfoList64();
    if (m_zip->getZipError() != UNZ_OK) {
        return false;
    }
    for (const QuaZipFileInfo64& info : infos) {
        // Two entries of one name (part names ignore case): readers disagree on which one
        // counts, so the package has no single meaning.
        if (m_entries.contains(info.name.toLower())) {
            m_entries.clear();
            return false;
        }
        m_entries.insert(info.name.toLower(),
                         Entry{info.name, static_cast<qint64>(info.compressedSize),
                               static_cast<qint64>(info.uncompressedSize), info.crc});
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
    if (!m_zip->setCurrentFile(it->name, QuaZip::csSensitive)) {
        return Status::Damaged;
    }
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly)) {
        return Status::Damaged;
    }
    const qint64 compressed = std::max<qint64>(1, it->compressedSize);
    // The stated size is only a hint (a damaged archive may lie), so it is bounded.
    out.reserve(static_cast<int>(qBound<qint64>(
        0, it->uncompressedSize, std::min<qint64>(m_limits.maxPartBytes, 64 << 20))));
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0) {
            return Status::Damaged;
        }
        if (got == 0) {
            break;
        }
        if (out.size() + got > m_limits.maxPartBytes) {
            out.clear();
            return Status::TooLarge;
        }
        out.append(buffer, static_cast<int>(got));
        // An archive bomb expands far beyond what deflate gives ordinary XML.
        if (out.size() > m_limits.ratioCheckBytes &&
            out.size() / compressed > m_limits.maxExpansionRatio) {
            out.clear();
            return Status::TooLarge;
        }
    }
    file.close();
    if (file.getZipError() != UNZ_OK) {
        out.clear();
        return Status::Damaged;
    }
    return Status::Ok;
}
