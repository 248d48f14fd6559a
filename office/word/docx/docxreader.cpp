#include "office/word/docx/docxreader.h"

#include "office/word/docx/docxbodyreader.h"
#include "office/opc/opcpackage.h"
#include "office/word/docx/docxstyles.h"
#include "office/opc/zippackage.h"
#include "office/word/docx/docxstylescache.h"

#include <QBuffer>
#include <QFile>

namespace {

/* A failure naming the part that could not be read. */
WordLoadResult partFailure(OpcPackage::Status status, const QString& part) {
    if (status == OpcPackage::Status::TooLarge) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       part + QStringLiteral(" is too large"));
    }
    if (status == OpcPackage::Status::Missing) {
        return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                       QStringLiteral("the package has no ") + part);
    }
    return WordLoadResult::failure(WordLoadResult::Status::Malformed,
                                   part + QStringLiteral(" is damaged"));
}

/* Read an optional part; a missing or unreadable one is simply left out. */
QByteArray optionalPart(OpcPackage& package, const QString& name) {
    QByteArray xml;
    if (name.isEmpty() || package.readPart(name, xml) != OpcPackage::Status::Ok) {
        xml.clear();
    }
    return xml;
}

/* The styles and theme fonts of the main part, parsed once per distinct pair of parts. */
DocxStyles readStyles(OpcPackage& package, const QString& mainPart) {
    DocxStylesCache::Key key;
    key.stylesPart = package.relationshipTarget(mainPart, QStringLiteral("styles"));
    key.themePart = package.relationshipTarget(mainPart, QStringLiteral("theme"));
    key.styles = package.partStamp(key.stylesPart);
    key.theme = package.partStamp(key.themePart);
    DocxStylesCache& cache = DocxStylesCache::shared();
    if (const std::shared_ptr<const DocxStyles> known = cache.find(key)) {
        return *known;
    }
    auto styles = std::make_shared<DocxStyles>();
    styles->readTheme(optionalPart(package, key.themePart));
    styles->readStyles(optionalPart(package, key.stylesPart));
    cache.insert(key, styles);
    return *styles;
}

/* Read the ZIP package on an open device. */
WordLoadResult readZipPackage(QIODevice* device, const WordReadLimits& limits) {
    ZipPackage package(DocxReader::packageLimits(limits));
    if (!package.open(device)) {
        return WordLoadResult::failure(WordLoadResult::Status::Malformed,
                                       QStringLiteral("not a readable ZIP package"));
    }
    return DocxReader::readPackage(package, limits);
}

}  // namespace

/* The reader's limits that bound the package itself. */
PackageLimits DocxReader::packageLimits(const WordReadLimits& limits) {
    PackageLimits package;
    package.maxPartBytes = limits.maxPartBytes;
    package.ratioCheckBytes = limits.ratioCheckBytes;
    package.maxExpansionRatio = limits.maxExpansionRatio;
    return package;
}

/* Main part by relationship, then its styles and theme, then the body. */
WordLoadResult DocxReader::readPackage(OpcPackage& package, const WordReadLimits& limits) {
    // The main document is whatever the package's officeDocument relationship names.
    const QString mainPart =
        package.relationshipTarget(QString(), QStringLiteral("officeDocument"));
    if (mainPart.isEmpty()) {
        return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                       QStringLiteral("the package has no main document"));
    }
    QByteArray documentXml;
    const OpcPackage::Status status = package.readPart(mainPart, documentXml);
    if (status != OpcPackage::Status::Ok) {
        return partFailure(status, mainPart);
    }
    DocxStyles styles = readStyles(package, mainPart);
    DocxBodyReader body(styles, limits);
    return body.read(documentXml);
}

/* Open the file and read the package in it. */
WordLoadResult DocxReader::readFile(const QString& path, const WordReadLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(
            WordLoadResult::Status::NotFound,
            QStringLiteral("cannot read the file: ") + file.errorString());
    }
    return readOpenFile(file, limits);
}

/* Read the package of an open file: a small one (most documents) from memory in one read,
   since the ZIP reader's many small reads and seeks cost more than the data; a large one
   through the file. */
WordLoadResult DocxReader::readOpenFile(QFile& file, const WordReadLimits& limits) {
    const qint64 inMemoryBytes = 4 << 20;
    file.seek(0);
    if (file.size() > inMemoryBytes) {
        return readZipPackage(&file, limits);
    }
    // Read what the file holds, not the most it may hold: a buffer of the largest size for
    // every small document costs an allocation the size of the limit each time.
    QByteArray bytes = file.read(file.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return readZipPackage(&buffer, limits);
}

/* Read a package from memory. */
WordLoadResult DocxReader::readData(const QByteArray& data, const WordReadLimits& limits) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(WordLoadResult::Status::Malformed,
                                       QStringLiteral("cannot read the data"));
    }
    return readZipPackage(&buffer, limits);
}
