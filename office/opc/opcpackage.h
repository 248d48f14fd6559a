#pragma once

// OpcPackage: the parts of a package (Open Packaging Conventions, ECMA-376 Part 2) as a
// reader sees them: part lookup by name without regard to case, and relationship targets.
//
// - ZipPackage (zippackage.h): a ZIP package such as a .docx/.docm, part reading bounded by
//   the reader's limits.
// - FlatOpcPackage (office/word/xml/flatopcpackage.h): the same parts held in one XML file
//   (Word's "Word XML Document").

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Bounds that keep hostile packages from exhausting memory.
struct PackageLimits {
    qint64 maxPartBytes = 256ll * 1024 * 1024;   // uncompressed size of one part
    qint64 ratioCheckBytes = 8ll * 1024 * 1024;  // parts above this size must not
    int maxExpansionRatio = 200;                 // expand more than this from the archive
};

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

    OpcPackage() = default;
    virtual ~OpcPackage();
    OpcPackage(const OpcPackage&) = delete;
    OpcPackage& operator=(const OpcPackage&) = delete;

    // Read a whole part (name without a leading "/", compared without regard to case).
    // Missing: no such part; Damaged: the data is corrupt or truncated; TooLarge: beyond the
    // part size or expansion limits.
    virtual Status readPart(const QString& name, QByteArray& out) = 0;

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
    // (A package without such a directory gives nullopt for every part.)
    virtual std::optional<PartStamp> partStamp(const QString& name) const;

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
};
