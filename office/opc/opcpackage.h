#pragma once

// OpcPackage: a ZIP package such as a .docx/.docm (Open Packaging Conventions, ECMA-376
// Part 2): part lookup by name without regard to case, relationship targets, and part
// reading bounded by the reader's limits.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// Bounds that keep hostile packages from exhausting memory.
struct PackageLimits {
    qint64 maxPartBytes = 256ll * 1024 * 1024;   // uncompressed size of one part
    qint64 ratioCheckBytes = 8ll * 1024 * 1024;  // parts above this size must not
    int maxExpansionRatio = 200;                 // expand more than this from the archive
};
class QuaZip;

// One internal relationship of a part (ECMA-376 Part 2, 9.3), its target resolved to a part
// name.
struct OpcRelationship {
    QString id;
    QString type;
    QString target;
};

class OpcPackage {
public:
    enum class Status : std::uint8_t { Ok, Missing, Damaged, TooLarge };

    explicit OpcPackage(const PackageLimits& limits);
    ~OpcPackage();
    OpcPackage(const OpcPackage&) = delete;
    OpcPackage& operator=(const OpcPackage&) = delete;

    // Open the archive on `device` (kept open by the caller while the package is used).
    // False when it is no readable ZIP archive.
    bool open(QIODevice* device);

    // Read a whole part (name without a leading "/"). Missing: no such part; Damaged: the
    // data is corrupt or truncated; TooLarge: beyond the part size or expansion limits.
    Status readPart(const QString& name, QByteArray& out);

    // What the archive's directory says of a part: the CRC-32 and the size of its
    // uncompressed data. Equal stamps mean equal parts for a cache of parsed parts (the data
    // itself is not read here, so a part whose data does not match its stamp goes unnoticed).
    struct PartStamp {
        quint32 crc = 0;
        qint64 size = 0;
        bool operator==(const PartStamp& other) const {
            return crc == other.crc && size == other.size;
        }
    };
    // The stamp of part `name`; nullopt when there is no such part.
    std::optional<PartStamp> partStamp(const QString& name) const;

    // The target of the first relationship of `sourcePart` (empty: the package itself)
    // whose type ends with "/" + `typeSuffix`, resolved to a part name; empty when none.
    QString relationshipTarget(const QString& sourcePart, const QString& typeSuffix);

    // The internal relationships of `sourcePart` (empty: the package itself) in file order,
    // targets percent-decoded and resolved against the source's folder; external ones are left
    // out. Missing when the part has no relationships part; other failures as readPart.
    Status relationships(const QString& sourcePart, std::vector<OpcRelationship>& out);

    // The name of the relationships part of `sourcePart`:
    // "word/document.xml" -> "word/_rels/document.xml.rels".
    static QString relationshipsPart(const QString& sourcePart);

private:
    struct Entry {
        QString name;
        qint64 compressedSize = 0;
        qint64 uncompressedSize = 0;
        quint32 crc = 0;
    };

    PackageLimits m_limits;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, Entry> m_entries;  // by lower-case name
};
