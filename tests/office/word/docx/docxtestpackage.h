#pragma once

// Test helpers: small .docx packages built in memory, so that each reader rule can be tested
// on exactly the XML that states it.

#include <quazip.h>
#include <quazipfile.h>

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace docxtest {

constexpr char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

/* Zip the given parts into one archive. */
inline QByteArray zipParts(const std::vector<std::pair<QString, QByteArray>>& parts) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) {
        return QByteArray();
    }
    for (const auto& part : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first))) {
            return QByteArray();
        }
        file.write(part.second);
        file.close();
    }
    zip.close();
    return bytes;
}

/* The package relationships naming `mainPart` as the office document. */
inline QByteArray packageRels(const QString& mainPart = QStringLiteral("word/document.xml")) {
    return QByteArray(
               "<?xml version=\"1.0\"?><Relationships "
               "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
               "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
               "officeDocument/2006/relationships/officeDocument\" Target=\"") +
           mainPart.toUtf8() + "\"/></Relationships>";
}

/* A w:document around body XML. */
inline QByteArray documentXml(const QByteArray& body) {
    return QByteArray("<?xml version=\"1.0\"?><w:document xmlns:w=\"") + kW +
           "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
           "<w:body>" +
           body + "</w:body></w:document>";
}

/* A package with the given body, and styles when given. */
inline QByteArray package(const QByteArray& body, const QByteArray& styles = QByteArray()) {
    std::vector<std::pair<QString, QByteArray>> parts = {
        {QStringLiteral("_rels/.rels"), packageRels()},
        {QStringLiteral("word/document.xml"), documentXml(body)}};
    if (!styles.isEmpty()) {
        parts.push_back({QStringLiteral("word/_rels/document.xml.rels"),
                         "<?xml version=\"1.0\"?><Relationships "
                         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                         "officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
                         "</Relationships>"});
        parts.push_back({QStringLiteral("word/styles.xml"),
                         QByteArray("<?xml version=\"1.0\"?><w:styles xmlns:w=\"") + kW + "\">" +
                             styles + "</w:styles>"});
    }
    return zipParts(parts);
}

}  // namespace docxtest
