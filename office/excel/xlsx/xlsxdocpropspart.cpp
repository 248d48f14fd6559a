#include "office/excel/xlsx/xlsxdocpropspart.h"

/* docProps/core.xml. */
void XlsxDocPropsPart::writeCore(XmlSink& out) {
    out << XmlSink::kDeclaration
        << "<cp:coreProperties "
           "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
           "<dc:creator>Sheetweaver</dc:creator></cp:coreProperties>\n";
}

/* docProps/app.xml. */
void XlsxDocPropsPart::writeApp(XmlSink& out) {
    out << XmlSink::kDeclaration
        << "<Properties "
           "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
           "<Application>Sheetweaver</Application></Properties>\n";
}
