#include "office/opc/opcpackage.h"

#include "office/xml/xmlreader.h"

#include <QStringList>
#include <QUrl>

/* Nothing to release here; implementations release their own sources. */
OpcPackage::~OpcPackage() = default;

/* No directory, no stamps. */
std::optional<OpcPackage::PartStamp> OpcPackage::partStamp(const QString& /*name*/) const {
    return std::nullopt;
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
