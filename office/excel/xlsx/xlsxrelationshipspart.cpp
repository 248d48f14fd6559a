#include "office/excel/xlsx/xlsxrelationshipspart.h"

namespace {

const char* const kOfficeRels =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

/* "<Relationships>" with its namespace, after the declaration. */
void startRelationships(XmlSink& out) {
    out << XmlSink::kDeclaration
        << "<Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
}

/* One <Relationship> (CT_Relationship); `type` follows `typePrefix`. */
void writeRelationship(XmlSink& out, int id, const char* typePrefix, const char* type,
                       const QString& target) {
    out << "<Relationship Id=\"rId";
    out.number(id) << "\" Type=\"" << typePrefix << type << "\"";
    out.attribute("Target", target) << "/>";
}

}  // namespace

/* _rels/.rels. */
void XlsxRelationshipsPart::writePackageRels(XmlSink& out) {
    startRelationships(out);
    writeRelationship(out, 1, kOfficeRels, "officeDocument", QStringLiteral("xl/workbook.xml"));
    writeRelationship(out, 2, "http://schemas.openxmlformats.org/package/2006/relationships/",
                      "metadata/core-properties", QStringLiteral("docProps/core.xml"));
    writeRelationship(out, 3, kOfficeRels, "extended-properties",
                      QStringLiteral("docProps/app.xml"));
    out << "</Relationships>\n";
}

/* xl/_rels/workbook.xml.rels. */
void XlsxRelationshipsPart::writeWorkbookRels(XmlSink& out, int sheetCount) {
    startRelationships(out);
    for (int i = 1; i <= sheetCount; ++i) {
        writeRelationship(out, i, kOfficeRels, "worksheet",
                          QStringLiteral("worksheets/sheet%1.xml").arg(i));
    }
    writeRelationship(out, sheetCount + 1, kOfficeRels, "styles", QStringLiteral("styles.xml"));
    writeRelationship(out, sheetCount + 2, kOfficeRels, "sharedStrings",
                      QStringLiteral("sharedStrings.xml"));
    out << "</Relationships>\n";
}
