#include "office/excel/xlsx/xlsxcontenttypespart.h"

namespace {

const char* const kSpreadsheetMl = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

/* One <Default> or <Override> element. */
void writeItem(XmlSink& out, const char* kind, const char* key, const QString& name,
               const QString& type) {
    out << "<" << kind;
    out.attribute(key, name).attribute("ContentType", type) << "/>";
}

/* An <Override> of a SpreadsheetML part; `type` follows the common prefix. */
void writeSpreadsheetItem(XmlSink& out, const QString& name, const char* type) {
    writeItem(out, "Override", "PartName", name,
              QLatin1String(kSpreadsheetMl) + QLatin1String(type));
}

}  // namespace

/* The defaults by extension, then one override per part. */
void XlsxContentTypesPart::write(XmlSink& out, int sheetCount, bool macroEnabled) {
    out << XmlSink::kDeclaration
        << "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
    writeItem(out, "Default", "Extension", QStringLiteral("rels"),
              QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    writeItem(out, "Default", "Extension", QStringLiteral("xml"),
              QStringLiteral("application/xml"));
    if (macroEnabled) {
        writeItem(out, "Override", "PartName", QStringLiteral("/xl/workbook.xml"),
                  QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml"));
    } else {
        writeSpreadsheetItem(out, QStringLiteral("/xl/workbook.xml"), "sheet.main+xml");
    }
    for (int i = 1; i <= sheetCount; ++i) {
        writeSpreadsheetItem(out, QStringLiteral("/xl/worksheets/sheet%1.xml").arg(i),
                             "worksheet+xml");
    }
    writeSpreadsheetItem(out, QStringLiteral("/xl/styles.xml"), "styles+xml");
    writeSpreadsheetItem(out, QStringLiteral("/xl/sharedStrings.xml"), "sharedStrings+xml");
    writeItem(out, "Override", "PartName", QStringLiteral("/docProps/core.xml"),
              QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    writeItem(
        out, "Override", "PartName", QStringLiteral("/docProps/app.xml"),
        QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml"));
    out << "</Types>\n";
}
