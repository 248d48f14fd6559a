#pragma once

// ZipPackage: a package in a ZIP archive (.docx, .docm), read with QuaZip: entries indexed
// by lower-case name, each part inflated in chunks and stopped as soon as it passes the part
// size or expansion-ratio limit (archive bombs).

#include "office/opc/opcpackage.h"

#include <QHash>

#include <memory>

class QIODevice;
class QuaZip;

class ZipPackage : public OpcPackage {
public:
    explicit ZipPackage(const PackageLimits& limits);
    ~ZipPackage() override;

    // Open the archive on `device` (kept open by the caller while the package is used).
    // False when it is no readable ZIP archive, or when two entries share a name (letter
    // case ignored).
    bool open(QIODevice* device);

    Status readPart(const QString& name, QByteArray& out) override;
    std::optional<PartStamp> partStamp(const QString& name) const override;

private:
    struct Entry {
        qint64 compressedSize = 0;
        qint64 uncompressedSize = 0;
        quint32 crc = 0;
        // Where the entry's record is in the directory, to go back to it without a search.
        quint64 directoryOffset = 0;
        quint64 index = 0;
    };

    Status inflateCurrent(const Entry& entry, QByteArray& out);

    PackageLimits m_limits;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, Entry> m_entries;  // by lower-case name
};
