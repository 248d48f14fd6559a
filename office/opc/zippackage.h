#pragma once

// ZipPackage: a package in a ZIP archive (.docx, .docm, .xlsx), read from the archive's bytes
// (read into memory for a small file, mapped for a large one): the central directory indexed
// by lower-case name, each part inflated with zlib in chunks and stopped as soon as it passes
// the part size or expansion-ratio limit (archive bombs). Every offset and size the archive
// states is checked against the bytes before use.
//
// Reading the directory from the bytes directly costs a fraction of going through a file
// device: a small document's whole directory is a few hundred bytes.

#include "office/opc/opcpackage.h"

#include <QByteArray>
#include <QHash>

class QIODevice;

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
        quint64 compressedSize = 0;
        quint64 uncompressedSize = 0;
        quint64 localHeader = 0;  // offset of the entry's local header
        quint32 crc = 0;
        quint16 flags = 0;
        quint16 method = 0;
    };

    bool readDirectory();
    bool readEntries(quint64 offset, quint64 size, quint64 count, qint64 shift);
    Status inflateEntry(const Entry& entry, const uchar* data, QByteArray& out) const;
    bool appendWithinLimits(QByteArray& out, const char* bytes, qint64 length,
                            qint64 compressed) const;
    Status inflateDeflated(const Entry& entry, const uchar* data, qint64 compressed,
                           QByteArray& out) const;

    PackageLimits m_limits;
    QByteArray m_bytes;             // the archive, when read into memory
    const uchar* m_data = nullptr;  // the archive's bytes, read or mapped
    quint64 m_size = 0;
    QHash<QString, Entry> m_entries;  // by lower-case name
};
