#include "office/opc/opcpackage.h"

#include "office/xml/xmlreader.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QStringList>
#include <QUrl>

/* A package not yet opened. */
OpcPackage::OpcPackage(const PackageLimits& limits) : m_limits(limits) {}

/* Closing the archive with the QuaZip object. */
OpcPackage::~OpcPackage() = default;

/* Open the archive and index its entries by lower-case name. */
bool OpcPackage::open(QIODevice* device) {
    m_zip = std::make_unique<QuaZip>(device);
    if (!m_zip->open(QuaZip::mdUnzip)) {
        return false;
    }
    const QList<QuaZipFileInfo64> infos = m_zip->getFileInfoList64();
    if (m_zip->getZipError() != UNZ_OK) {
        return false;
    }
    for (const QuaZipFileInfo64& info : infos) {
        m_entries.insert(info.name.toLower(),
                         Entry{info.name, static_cast<qint64>(info.compressedSize),
                               static_cast<qint64>(info.uncompressedSize), info.crc});
    }
    return true;
}

/* The directory's CRC-32 and size of a part. */
std::optional<OpcPackage::PartStamp> OpcPackage::partStamp(const QString& name) const {
    const auto it = m_entries.constFind(name.toLower());
    if (it == m_entries.constEnd()) {
        return std::nullopt;
    }
    return PartStamp{it->crc, it->uncompressedSize};
}

/* Inflate one part in chunks, stopping as soon as it passes a limit. */
OpcPackage::Status OpcPackage::readPart(const QString& name, QByteArray& out) {
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

namespace {

/* The folder of a part name, with a trailing "/" (empty for the package root). */
QString partFolder(const QString& part) {
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

/* Resolve a relative target against a folder, folding "." and ".." segments. */
QString resolveTarget(const QString& folder, const QString& target) {
    const QString joined = target.startsWith(QLatin1Char('/')) ? target.mid(1) : folder + target;
    QStringList parts;
    for (const QString& segment : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
        } else if (segment != QLatin1String(".")) {
            parts.append(segment);
        }
    }
    return parts.join(QLatin1Char('/'));
}

}  // namespace

/* The relationships part sits in "_rels" beside its source. */
QString OpcPackage::relationshipsPart(const QString& sourcePart) {
    if (sourcePart.isEmpty()) {
        return QStringLiteral("_rels/.rels");
    }
    const int slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    return partFolder(sourcePart) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1) +
           QStringLiteral(".rels");
}

/* Relationships (ECMA-376 Part 2, 9.3): every <Relationship> of the part, in file order. */
OpcPackage::Status OpcPackage::relationships(const QString& sourcePart,
                                             std::vector<OpcRelationship>& out) {
    out.clear();
    QByteArray xml;
    const Status status = readPart(relationshipsPart(sourcePart), xml);
    if (status != Status::Ok) {
        return status;
    }
    const QString folder = partFolder(sourcePart);
    XmlReader reader(xml);
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("Relationship")) {
            continue;  // the root: its children are read next
        }
        if (!reader.attributeIs(QLatin1String("TargetMode"), QLatin1String("External"))) {
            const QString target =
                QUrl::fromPercentEncoding(reader.attribute(QLatin1String("Target")).toUtf8());
            out.push_back(OpcRelationship{reader.attribute(QLatin1String("Id")),
                                          reader.attribute(QLatin1String("Type")),
                                          resolveTarget(folder, target)});
        }
        reader.skipCurrentElement();
    }
    return Status::Ok;
}

/* The first relationship whose type ends in the suffix. */
QString OpcPackage::relationshipTarget(const QString& sourcePart, const QString& typeSuffix) {
    std::vector<OpcRelationship> found;
    if (relationships(sourcePart, found) != Status::Ok) {
        return QString();
    }
    const QString suffix = QLatin1Char('/') + typeSuffix;
    for (const OpcRelationship& relationship : found) {
        if (relationship.type.endsWith(suffix)) {
            return relationship.target;
        }
    }
    return QString();
}
