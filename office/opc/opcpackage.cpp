#include "office/opc/opcpackage.h"

#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

/* Nothing to release here; implementations release their own sources. */
OpcPackage::~OpcPackage() = default;

namespace {

/* The folder of a part name, with a trailing "/" (empty for the package root). */
QString partFolder(const QString& part) {
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

/* The relationships part of a source part: "word/document.xml" -> "word/_rels/document.xml.rels".
 */
QString relationshipsPart(const QString& sourcePart) {
    if (sourcePart.isEmpty()) {
        return QStringLiteral("_rels/.rels");
    }
    const int slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    return partFolder(sourcePart) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1) +
           QStringLiteral(".rels");
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

/* Relationship (ECMA-376 Part 2, 9.3): find the first one of a type and resolve its target. */
QString OpcPackage::relationshipTarget(const QString& sourcePart, const QString& typeSuffix) {
    QByteArray xml;
    if (readPart(relationshipsPart(sourcePart), xml) != Status::Ok) {
        return QString();
    }
    const QString suffix = QLatin1Char('/') + typeSuffix;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() != QXmlStreamReader::StartElement ||
            reader.name() != QLatin1String("Relationship")) {
            continue;
        }
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.value(QLatin1String("TargetMode")) == QLatin1String("External") ||
            !attributes.value(QLatin1String("Type")).endsWith(suffix)) {
            continue;
        }
        const QString target = QUrl::fromPercentEncoding(
            attributes.value(QLatin1String("Target")).toString().toUtf8());
        return resolveTarget(partFolder(sourcePart), target);
    }
    return QString();
}
