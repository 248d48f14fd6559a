#include "office/word/xml/wordxmlreader.h"

#include "office/word/docx/docxbodyreader.h"
#include "office/word/docx/docxstyles.h"
#include "office/word/xml/flatopcpackage.h"
#include "office/xml/xmlreader.h"

namespace {

const QLatin1String kWord2003Ns("http://schemas.microsoft.com/office/word/2003/wordml");

}  // namespace

/* Look at the root element only. */
bool WordXmlReader::isWord2003(const QByteArray& data) {
    XmlReader reader(data.left(64 * 1024));
    return reader.readNextStartElement() && reader.name() == QLatin1String("wordDocument") &&
           reader.namespaceUri() == kWord2003Ns;
}

/* Word 2003 XML through the body reader, anything else as a flat package. */
WordLoadResult WordXmlReader::readData(QByteArray data, const WordReadLimits& limits) {
    if (data.size() > limits.maxPartBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("the XML document is too large"));
    }
    if (isWord2003(data)) {
        DocxStyles styles;
        DocxBodyReader body(styles, limits);
        return body.read(data);
    }
    FlatOpcPackage package(DocxReader::packageLimits(limits));
    const bool opened = package.open(data);
    data = QByteArray();  // the parsed package holds what is still needed
    if (!opened) {
        return WordLoadResult::failure(
            WordLoadResult::Status::WrongFormat,
            QStringLiteral("not a Word XML document (not well-formed, or two parts of one name)"));
    }
    return DocxReader::readPackage(package, limits);
}
